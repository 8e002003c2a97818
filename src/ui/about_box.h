// frmAbout: the modal about box with the program's title and version, a
// description, a release line and the animated title picture. Constructing
// it runs Form_Load; OK or the close box ends exec().
#pragma once

#include "about_animation.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <cstdint>

class QLabel;

namespace karwen::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    // "KARWEN ver.0.7": the title, " ver.", major, ".", minor.
    [[nodiscard]] static QString versionLine();

    [[nodiscard]] int FrameNo() const { return FrameNo_; }
    [[nodiscard]] const QTimer& tmr() const { return tmr_; }
    [[nodiscard]] const QPixmap& img(int index) const { return img_.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] QLabel* imgTitle() const { return imgTitle_; }

    // One tick of the animation timer: the next frame.
    void tmr_Timer();

private:
    void Form_Load();

    QTimer tmr_{this};
    std::array<QPixmap, kAboutFrames> img_;
    QLabel* lbl0_ = nullptr;
    QLabel* imgTitle_ = nullptr;
    int16_t FrameNo_ = 0;
};

} // namespace karwen::ui
