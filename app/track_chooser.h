#pragma once

#include "cdin/disc_types.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QTreeWidget;

namespace kestrune {

// One audio track the chooser offers.
struct TChooserTrack {
    std::int32_t Track = 0; // its position on the disc, as the CD source counts
    TDiscTime Length;
    QString Title; // the disc's CD-Text title; empty when it has none
};

// Asks which track of a disc to copy, when the desktop handed over the whole
// disc (an inserted audio CD, a drive's folder): its audio tracks with number,
// length and title, the first one chosen. A double click or Enter copies the
// track under the cursor.
class TTrackChooser : public QDialog {
    Q_OBJECT
public:
    TTrackChooser(const std::vector<TChooserTrack>& Tracks, QWidget* AParent = nullptr);

    // The position of the track chosen; 0 when none is.
    std::int32_t ChosenTrack() const;

private:
    void CreateList(const std::vector<TChooserTrack>& Tracks);
    void CreateButtons();

    QTreeWidget* FTracks = nullptr;
};

// "m:ss", as players show a track's length.
QString LengthText(const TDiscTime& Length);

} // namespace kestrune
