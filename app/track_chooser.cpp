#include "app/track_chooser.h"

#include "app/program_texts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrune {

namespace {

constexpr int TrackRole = Qt::UserRole;

} // namespace

TTrackChooser::TTrackChooser(const std::vector<TChooserTrack>& Tracks, QWidget* AParent)
    : QDialog(AParent) {
    setObjectName("TrackChooser");
    setWindowTitle(ProgramTitle);
    setLayout(new QVBoxLayout);
    layout()->addWidget(new QLabel("Which track of the disc shall be copied?"));
    CreateList(Tracks);
    CreateButtons();
    resize(380, 300);
}

void TTrackChooser::CreateList(const std::vector<TChooserTrack>& Tracks) {
    FTracks = new QTreeWidget;
    FTracks->setObjectName("Tracks");
    FTracks->setRootIsDecorated(false);
    FTracks->setHeaderLabels({"Track", "Length", "Title"});
    for (const TChooserTrack& track : Tracks) {
        auto* const item = new QTreeWidgetItem(FTracks);
        item->setText(0, QString::number(track.Track));
        item->setText(1, LengthText(track.Length));
        item->setText(2, track.Title);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, TrackRole, track.Track);
    }
    FTracks->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    FTracks->header()->setStretchLastSection(true);
    if (FTracks->topLevelItemCount() > 0) {
        FTracks->setCurrentItem(FTracks->topLevelItem(0));
    }
    connect(FTracks, &QTreeWidget::itemActivated, this, &QDialog::accept);
    layout()->addWidget(FTracks);
    FTracks->setFocus();
}

void TTrackChooser::CreateButtons() {
    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Copy");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

std::int32_t TTrackChooser::ChosenTrack() const {
    const QTreeWidgetItem* const item = FTracks->currentItem();
    return item != nullptr ? item->data(0, TrackRole).toInt() : 0;
}

QString LengthText(const TDiscTime& Length) {
    return QString("%1:%2").arg(Length.Minutes).arg(Length.Seconds, 2, 10, QChar('0'));
}

} // namespace kestrune
