#pragma once
// The desktop shell: opening files with their default application, and
// the file types the system knows.
#include <string>

namespace os::shell {

// Opens the file with its default handler (executables run directly).
// False with the system's error code (errno here, the Win32 code on Windows) and text when the launch
// was refused. Recorded instead of done under the dry-run switch; a missing
// file fails (ENOENT) with or without it.
bool LaunchDefault(const std::string& path, int& errorCode, std::string& errorText);

// Opens a folder in the file manager. Recorded under the dry-run switch.
bool OpenFolder(const std::string& path, int& errorCode);

// Opens a document (the manual) with its default application; never runs
// it, even when it is executable. Recorded under the dry-run switch.
bool OpenDocument(const std::string& path, int& errorCode);

// Whether a file type is registered for the extension (without the dot).
bool IsKnownExtension(const std::string& extension);

// Whether the file can be launched: it runs directly (a program, a script
// with "#!"), or its type is known from its content, else from the
// extension of its name. False for a missing file or a folder.
bool KnowsHowToLaunch(const std::string& path);

}  // namespace os::shell
