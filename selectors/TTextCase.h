#pragma once

// Letter case of a drive selector's letter and item texts; the values are the stored ones.
enum TTextCase { tcLowerCase = 0, tcUpperCase = 1 };
