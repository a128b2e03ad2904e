#pragma once
// Keeps the toolkit's own diagnostics (GTK warnings) out of test output.
// Called before the toolkit starts; one implementation per platform.
void QuietToolkit();
