#include "about_box.h"

#include "dialog_seam.h"
#include "karwen_version.h"
#include "screen_centre.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace karwen::ui {

namespace {

constexpr int kPictureSide = 96;
constexpr int kTickMs = 200;

// "Arial Black", or the heaviest sans-serif face the machine has instead.
QFont titleFont(int pointSize)
{
    QFont font(QStringLiteral("Arial Black"), pointSize);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Black);
    return font;
}

QLabel* textLine(const QString& objectName, const QString& text, int pointSize)
{
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    label->setFont(titleFont(pointSize));
    return label;
}

} // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    for (int i = 0; i < kAboutFrames; ++i)
        img_[static_cast<std::size_t>(i)] = aboutFrame(i, kPictureSide);

    imgTitle_ = new QLabel;
    imgTitle_->setObjectName(QStringLiteral("imgTitle"));
    imgTitle_->setFixedSize(kPictureSide, kPictureSide);
    imgTitle_->setPixmap(img_[0]);

    lbl0_ = textLine(QStringLiteral("lbl(0)"), QString(), 16);
    auto* lblDescription
        = textLine(QStringLiteral("lblDescription"), QStringLiteral("Fisheye conversion and sky area measurement"), 9);
    auto* label1 = textLine(QStringLiteral("Label1"),
        QStringLiteral("Release %1, December 2026 - the KARWEN developers").arg(QLatin1String(kVersionText)), 8);
    auto* cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lbl0_);
    texts->addWidget(lblDescription);
    texts->addWidget(label1);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(imgTitle_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    tmr_.setInterval(kTickMs);
    connect(&tmr_, &QTimer::timeout, this, &AboutBox::tmr_Timer);
    Form_Load();
}

QString AboutBox::versionLine()
{
    return kAppTitle + QStringLiteral(" ver.") + QString::number(kVersionMajor) + QLatin1Char('.')
        + QString::number(kVersionMinor);
}

void AboutBox::Form_Load()
{
    setWindowTitle(kAppTitle);
    lbl0_->setText(versionLine());
    adjustSize();
    centreOnScreen(*this);
    FrameNo_ = 0;
    tmr_.start();
}

void AboutBox::tmr_Timer()
{
    FrameNo_ = static_cast<int16_t>((FrameNo_ + 1) & 7);
    imgTitle_->setPixmap(img_[static_cast<std::size_t>(FrameNo_)]);
}

} // namespace karwen::ui
