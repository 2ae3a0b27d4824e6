#pragma once

// Ends whatever holds the pointer: open pop-ups (menus, drop-down lists) are closed and an
// explicit mouse grab is released. Used before a modal window opens and when a handler fails,
// so no widget is left waiting for a button release that will never come.
void endMouseCapture();
