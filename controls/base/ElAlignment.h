#pragma once
// Horizontal alignment of a control's text. Any thread.
enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };
