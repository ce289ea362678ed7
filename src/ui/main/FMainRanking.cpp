// Result times, ranking and places: the competition computes them, the view follows.
#include "core/Competition.h"
#include "ui/main/FMain.h"

void TFormMain::RecalcProtocol() {
    ApplyCompetitionSettings();
    Competition->Recompute(); // the view redraws and keeps the current row
}
