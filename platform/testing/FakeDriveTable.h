#pragma once

#include "platform/drives/DriveTable.h"

#include <map>
#include <string>

namespace platform {

// A drive table under a test's control, in force while it lives. It starts with C: at the
// host root; each change forgets the remembered current directories, and destruction brings
// back the previous table and the host's working directory.
class FakeDriveTable : public DriveTable {
public:
    FakeDriveTable();
    ~FakeDriveTable() override;
    FakeDriveTable(const FakeDriveTable&) = delete;
    FakeDriveTable& operator=(const FakeDriveTable&) = delete;

    void map(char letter, const std::string& hostRoot);
    // A removable drive without a medium: listed, but it cannot be entered.
    void mapNotReady(char letter);
    void unmap(char letter);

    // What the platform tells about a mapped letter. A mapped drive starts fixed, without a
    // label, case preserved and sensitive; one without a medium starts removable and not
    // ready. facts.letter is ignored.
    void setFacts(char letter, const DriveFacts& facts);
    DriveFacts facts(char letter) const;

    // How often the table was read, which the path services should do once per listing or
    // change of directory.
    int reads() const { return m_reads; }

    std::vector<Drive> drives() const override;
    std::vector<DriveFacts> describe(const std::vector<Drive>& drives) const override;

private:
    std::map<char, Drive> m_drives;
    std::map<char, DriveFacts> m_facts;
    const DriveTable* m_previous;
    int m_workingDirectory; // descriptor of the host's directory at construction
    mutable int m_reads = 0;
};

} // namespace platform
