#pragma once
// What a screen reader calls a control. The toolkit's own window names do not
// reach the accessibility layer; controls that show only a picture (or have
// no label of their own) get their name here.

namespace os::accessibility {

// `nativeWidget` is the toolkit's native handle of the control
// (wxWindow::GetHandle()). Does nothing without an accessibility layer.
void SetName(void* nativeWidget, const char* name);

}  // namespace os::accessibility
