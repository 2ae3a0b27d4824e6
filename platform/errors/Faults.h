#pragma once

// Operations of the platform layer that a test can make fail with an error code of its
// choice (platform/testing/FaultInjector.h). In production no fault source is installed.
namespace platform {

enum class Operation {
    FindFirst,           // opening a directory for a file search
    SetCurrentDirectory, // entering a directory
    CreateFile,          // creating an output file
    WriteFile,           // handing buffered bytes to an output file
    CloseFile,           // completing an output file (flush, close, replace the target)
    SyncFile,            // making an output file's data durable before it replaces a page
    ShellOpen,           // the desktop shell's "open"
    RegOpenDatabase,     // opening the per-user registry database
    RegOpenKey,
    RegCreateKey,
    RegQueryValue, // type and byte count of a value
    RegReadValue,  // a value's bytes
    RegSetValue,
    Count
};

class FaultSource {
public:
    virtual ~FaultSource() = default;
    virtual int faultFor(Operation operation) = 0;

    // Installs a fault source (nullptr removes it); returns the one it replaces.
    static FaultSource* install(FaultSource* source);
    static FaultSource* current();
};

// The error code the installed source has chosen for this call of the operation, 0 when it
// should run normally.
int injectedFault(Operation operation);

} // namespace platform
