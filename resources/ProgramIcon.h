#pragma once

#include <QIcon>

// The program icon "MAINICON" (16 and 32 pixels) from the resources compiled into the
// executable; a null icon, which leaves the platform's default, if they are missing.
QIcon programIcon();
