#pragma once

// Operations of the platform layer that a test can make fail with an error code of its
// choice (see platform/testing/FaultInjector.h). In production no fault is ever set.
namespace platform {

enum class Operation {
    FindFirst,           // opening a directory for a file search
    SetCurrentDirectory, // entering a directory
    CreateFile,          // creating an output file
    WriteFile,           // handing buffered bytes to an output file
    CloseFile,           // completing an output file (flush, close, replace the target)
    ShellOpen,           // the desktop shell's "open"
    RegOpenDatabase,     // opening the per-user registry database
    RegOpenKey,
    RegCreateKey,
    RegQueryValue, // type and byte count of a value
    RegReadValue,  // a value's bytes
    RegSetValue,
    Count
};

// The error code a test has set for the operation, 0 when it should run normally.
int injectedFault(Operation operation);

} // namespace platform
