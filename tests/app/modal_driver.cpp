#include "tests/app/modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace kestrune::test {

ModalDriver::ModalDriver() {
    FTimer.setInterval(20);
    connect(&FTimer, &QTimer::timeout, this, &ModalDriver::Look);
    FTimer.start();
}

void ModalDriver::Look() {
    QWidget* const modal = QApplication::activeModalWidget();
    if (modal == nullptr || FActions.empty() || modal == FLastHandled || !modal->isVisible()) {
        return;
    }
    FLastHandled = modal;
    Action next = std::move(FActions.front());
    FActions.pop_front();
    next(*modal);
}

ModalDriver::Action ModalDriver::ChooseFile(const QString& Path) {
    return [Path](QWidget& Modal) {
        auto* const dialog = qobject_cast<QFileDialog*>(&Modal);
        Q_ASSERT(dialog != nullptr);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(Path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    };
}

ModalDriver::Action ModalDriver::Cancel() {
    return
        [](QWidget& Modal) { QMetaObject::invokeMethod(&Modal, "reject", Qt::QueuedConnection); };
}

ModalDriver::Action ModalDriver::Acknowledge(QString& Text) {
    return [&Text](QWidget& Modal) {
        auto* const box = qobject_cast<QMessageBox*>(&Modal);
        Q_ASSERT(box != nullptr);
        Text = box->text();
        QAbstractButton* const button = box->buttons().front();
        QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
    };
}

} // namespace kestrune::test

namespace kestrune::test {

ModalDriver::Action ModalDriver::Confirm() {
    return [](QWidget& Modal) {
        auto* const box = qobject_cast<QMessageBox*>(&Modal);
        Q_ASSERT(box != nullptr && box->button(QMessageBox::Yes) != nullptr);
        QMetaObject::invokeMethod(box->button(QMessageBox::Yes), "click", Qt::QueuedConnection);
    };
}

} // namespace kestrune::test
