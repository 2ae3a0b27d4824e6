#pragma once

#include <Qt>

// The one application-wide cursor setting: either the default arrow, where every widget shows
// its own cursor, or one shape that overrides them all. It keeps at most one entry on Qt's
// override-cursor stack, so setting a shape twice and restoring once leaves no trace.
class ApplicationCursor {
public:
    // Qt::ArrowCursor while nothing overrides the widgets' cursors.
    static Qt::CursorShape shape();
    // Qt::ArrowCursor goes back to the default.
    static void setShape(Qt::CursorShape shape);
};
