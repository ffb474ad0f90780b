// Types of the installer's modal message dialogs. Portable: no Windows headers.
#pragma once

enum class TMsgDlgType { Warning, Error, Information };

// Buttons of a message dialog, as a set; shown left to right in this order.
enum TMsgDlgButtons : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbYesToAll = 8 };

// Results: the pressed button's, or mrCancel for the close box.
constexpr int mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7, mrYesToAll = 10;
