#pragma once

#include <string>

// What the window holds at the moment the user starts a run.
struct IndexRequest {
    bool KeepOriginalSize = true;
    std::string HeightText; // the edits' texts, checked by StartIndexRun
    std::string WidthText;
    std::string Directory; // drive path
    std::string FileName;
};
