// Response identifier of a dialog button and the result of CBaseDialog::RunDlg.
// A dialog that ends without a button (window closed) gives the toolkit's own
// negative response instead. The button kinds 2 to 6 of AddButton are values of
// this type too, so it is backed by int.
#pragma once

enum DLG_RESULT : int {
    DLG_RESULT_OK = 0,     // the accept button (OK, Yes)
    DLG_RESULT_CANCEL = 1, // the reject button (No, Cancel), also the default button
};
