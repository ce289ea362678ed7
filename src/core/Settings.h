#pragma once
// The user settings as the program works with them, every value at its default until the store
// (persist/SettingsStore.h) has read what was kept.
#include "core/Colors.h"

#include <QString>

struct TSettings {
    int Left = 307, Top = 148, Width = 893, Height = 495; // main window bounds
    int Port = 0;                                         // COMn of the contacts, 0 = none
    int Alg1 = 0, Alg2 = 0, Alg3 = 0;                     // contact polarity: 0 "ON", 1 "OFF"
    int CountBahn = 2;                                    // tracks in use, 1..2
    int FilterInd = 1;         // 1-based file type index of the file dialogs
    int TimerGesperrt = 10000; // start lock-out, ms
    int AllLaufe = 6;          // carried through unchanged
    int CountZabegov = 2;      // runs per participant, 1..6
    int Monitor = 0;           // display of the audience window
    bool MonitorOn = false;    // audience window shown at start-up
    int TimeFormat = 1;        // 0 "SSSS,ss", 1 "MM:SS,ss"
    int AutoTime = 5000;       // auto-reset delay, ms
    int Vid = 0;               // competition mode 0..3
    TColor Color1 = Colors::clBlue, Color2 = Colors::clGreen; // track colours
    int KlassCol = 0;       // class-column priority for places, 0..5
    bool AllTrasse = false; // "Auf allen Strecken"
    QString Title;          // competition title
    bool isPlaySound = true, isPlaySound1 = true, isPlaySound2 = true;
    int Lang = 0; // the texts' language from the next start: 0 German, 1 English (else German)
    // The live results on the network: off until switched on; an empty address listens on all
    // interfaces, so that phones in the hall reach it once the box is ticked.
    bool LiveOn = false;
    int LivePort = 8080;
    QString LiveBind;
    // How a result is made of the runs: 0 the sum ("Summe"), 1 the best run ("Bestzeit").
    int Ranking = 0;
    // The largest finals bracket: 4, 8 or 16 places.
    int BracketSize = 16;
    // How long after START the stop contacts are armed, ms: shorter than any run (elite runs
    // take 5 to 7 s), longer than the scramble of the start. The start lock-out above keeps
    // the start contact alone.
    int StopGesperrt = 3000;
    // The foot pads' port ("Startmatten-Port", COMn, 0 none) and the polarity of each lane's
    // pad (0 "ON": stood on while the line is active); a reaction under FsLimit ms, or a pad
    // left before START, is a false start.
    int PadPort = 0;
    int PadAlg1 = 0, PadAlg2 = 0;
    int FsLimit = 100;
    // The competition's own folder ("Wettkampfordner"): saves, exports and the stamped exit copy
    // go there; empty until chosen, then a folder of the date and title under the Documents.
    QString EventFolder;
    // What heads the official lists: the event ("Veranstaltung") and where it is held ("Ort").
    QString EventName, EventPlace;
    // The audience window names the climbers, marks the winner and shows the finals' heat;
    // off, it shows the plain digits.
    bool HallNames = true;
};
