#pragma once

#include <memory>
#include <string_view>

namespace platform {

// A file written through a 64 KiB buffer into a temporary sibling, which replaces the target
// only when commit() succeeds: readers never see a partial file, and a failure leaves the
// previous file untouched and no temporary file behind. Where no sibling can be made but the
// existing target may be written, the whole file is made elsewhere first and copied over the
// target at the commit, after its room is reserved: only a failure or a kill during that
// copy can leave the target part old, part new.
class OutputFile {
public:
    OutputFile();
    ~OutputFile(); // discards anything not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Drive path of the target. Returns 0 or an error code (a read-only existing target
    // fails with ErrorAccessDenied, as creating it in place would).
    int create(std::string_view drivePath);
    int write(std::string_view bytes);
    // Flushes, syncs when an existing target is replaced, closes and renames over the target.
    int commit();
    // Closes and removes the temporary file; harmless when nothing is open.
    void discard() noexcept;

    // Where the file system offers them, the data is written to an unnamed file that
    // vanishes with a crashed process; otherwise to a hidden named sibling, which a killed
    // process leaves behind and the next run in that folder removes. Tests turn the unnamed
    // kind off to exercise the other path.
    static void allowUnnamedTemporaryFiles(bool allow);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace platform
