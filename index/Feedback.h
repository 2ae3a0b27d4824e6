#pragma once

#include <string>
#include <string_view>

// The services through which an index run talks to the user; see FeedbackBackend.
void ShowStatus(const std::string& text);
void ShowErrorMessage(const std::string& text);
bool AskYesNo(const std::string& text);
void SetBusyCursor();
void RestoreCursor();
// Tells the backend where the finished page is, so that no caller reads it from a status text.
void notifyPageWritten(const std::string& path);

// "a.b.gif" -> "a.b", "C:\x\PIC.JPG" -> "C:\x\PIC", ".gif" -> "".
std::string FileNameWithoutExtension(const std::string& fileName);
// The same as a view into fileName (always a prefix of it).
std::string_view fileNameWithoutExtensionView(std::string_view fileName);
