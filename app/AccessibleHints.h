#pragma once

class QWidget;

// Gives every control below root whose "Hint" the status bar shows that hint as its accessible
// description, so a screen reader says what a sighted user reads under the pointer.
void describeControlsByHints(QWidget* root);
