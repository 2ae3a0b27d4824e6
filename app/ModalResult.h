#pragma once

// The result a modal window ends with. mrNone keeps its loop running; mrCancel is also what a
// close request or the application's quit request gives.
using ModalResult = int;

inline constexpr ModalResult mrNone = 0;
inline constexpr ModalResult mrOk = 1;
inline constexpr ModalResult mrCancel = 2;
inline constexpr ModalResult mrAbort = 3;
inline constexpr ModalResult mrRetry = 4;
inline constexpr ModalResult mrIgnore = 5;
inline constexpr ModalResult mrYes = 6;
inline constexpr ModalResult mrNo = 7;
inline constexpr ModalResult mrAll = 8;
