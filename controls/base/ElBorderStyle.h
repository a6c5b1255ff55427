#pragma once
// Whether a control of the set has a border: bsSingle is the platform's
// sunken client edge with Ctl3D, a thin line without.
enum TBorderStyle : unsigned char { bsNone, bsSingle };
