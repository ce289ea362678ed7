// Start and stop cues. Playback arrives with the sound issue; the run controller already
// calls these at the right moments.
#include "ui/FMain.h"

void TFormMain::PlayStartCue() {}
void TFormMain::PlayStopCue() {}
