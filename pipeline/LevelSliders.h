#pragma once

namespace orbicap {

// The black and white level sliders keep black below white. Moving one onto
// or past the other makes it walk back, one step per change event, until it
// is one step clear (or stops at the end of the 0..255 range). These return
// where the moved slider comes to rest, which is the new level.
int SettleBlackSlider(int blackPosition, int whitePosition);
int SettleWhiteSlider(int whitePosition, int blackPosition);

} // namespace orbicap
