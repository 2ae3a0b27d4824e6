#pragma once

#include <string>

// The services through which an index run talks to the user; see FeedbackBackend.
void ShowStatus(const std::string& text);
void ShowErrorMessage(const std::string& text);
bool AskYesNo(const std::string& text);
void SetBusyCursor();
void RestoreCursor();

// "a.b.gif" -> "a.b", "C:\x\PIC.JPG" -> "C:\x\PIC", ".gif" -> "".
std::string FileNameWithoutExtension(const std::string& fileName);
