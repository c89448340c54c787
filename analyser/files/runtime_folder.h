#pragma once
// A runtime folder for a run without a login session behind it.
//
// The XDG Base Directory Specification (0.8, "Environment variables") asks
// an application without $XDG_RUNTIME_DIR to fall back to a replacement
// folder with similar capabilities. A windowless command keeps nothing
// there, but the toolkit looks in it as it starts (for a sandbox's marker
// file); left to itself it falls back to a shared folder in /tmp, left
// behind, and says so on stderr, where a script takes it for an error. While
// this lives, an unset $XDG_RUNTIME_DIR names a folder of this user's alone
// (mode 0700, as the specification asks), made for the run and removed after
// it. A $XDG_RUNTIME_DIR that is set is left as it is.
#include <QTemporaryDir>

#include <memory>

namespace vellarin {

class RuntimeFolderForRun {
public:
    RuntimeFolderForRun();
    ~RuntimeFolderForRun();
    RuntimeFolderForRun(const RuntimeFolderForRun&) = delete;
    RuntimeFolderForRun& operator=(const RuntimeFolderForRun&) = delete;

private:
    std::unique_ptr<QTemporaryDir> m_folder;  // null when one was set already, or none could be made
};

}  // namespace vellarin
