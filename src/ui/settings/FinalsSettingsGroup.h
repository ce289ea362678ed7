#pragma once
// The settings dialog's group "Finale (K.-o.)": how the qualification ranks (the sum of the
// runs or the best run) and how many places the knock-out bracket has. Self-contained like
// the live group, so the dialog embeds it with one line.
#include <QGroupBox>

struct TSettings;
class QComboBox;
class QLabel;

// The list position of a bracket size (16, 8, 4 from the top); a stored size that is none of
// them takes the largest of the three not above it, and anything below 4 takes 4.
int BracketSizeIndex(int size);
int BracketSizeAt(int index);

class TFinalsSettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TFinalsSettingsGroup(QWidget* parent = nullptr);
    void LoadFrom(const TSettings& s);
    void ApplyTo(TSettings& s) const;

    QLabel *labRanking, *labBracketSize;
    QComboBox *cbRanking, *cbBracketSize;
};
