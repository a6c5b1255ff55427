#pragma once
// The value types of the custom scroll bars, shared by the pure geometry and
// the window code.

enum TElScrollBarPart : unsigned char {
  sbpNowhere,
  sbpLeftArrow,      // left or top arrow
  sbpRightSndArrow,  // secondary arrow at the right or bottom end
  sbpRightArrow,
  sbpLeftSndArrow,   // secondary arrow at the left or top end
  sbpThumb,
  sbpLeftTop,        // track before the thumb
  sbpRightBottom     // track after the thumb
};

enum TElScrollCode : unsigned char {
  escLineUp,
  escLineDown,
  escPageUp,
  escPageDown,
  escPosition,
  escTrack,
  escTop,
  escBottom,
  escEndScroll,
  escSndLineUp,
  escSndLineDown
};

enum TElSecButtonsKind : unsigned char { sbkOpposite, sbkPage, sbkCustom };
enum TElScrollThumbMode : unsigned char { etmFixed, etmAuto };
enum TScrollBarTracking : unsigned char { sbtrNone, sbtrHorizontal, sbtrVertical, sbtrBoth };
enum TElScrollBarKind : unsigned char { sbHorizontal, sbVertical };
