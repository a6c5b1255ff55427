#pragma once
// The three states of a check box, shared by the check box and the list
// box's row check boxes.
enum TCheckBoxState : unsigned char { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };
