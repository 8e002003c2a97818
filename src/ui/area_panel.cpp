#include "area_panel.h"

#include "area_log.h"
#include "area_routines.h"
#include "colour_value.h"
#include "dialog_seam.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "tool_window_font.h"
#include "undoable_step.h"
#include "utf8_path.h"
#include "view_geometry.h"
#include "window_registry.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace karwen::ui {

namespace {

// Positions and sizes are laid out in twips, 15 to the pixel.
QRect twips(int x, int y, int w, int h)
{
    using views::twipsToPixels;
    return {twipsToPixels(x), twipsToPixels(y), twipsToPixels(w), twipsToPixels(h)};
}

// Option buttons: left edges inside their frame, and a common size.
constexpr std::array<int, 4> kToolX{150, 615, 1095, 1560};
constexpr int kToolY = 240;
constexpr int kToolW = 450;
constexpr int kToolH = 210;

// Each class label shows its share in the class colour on a background
// that keeps it readable: dark behind the light colours (white, yellow,
// cyan), light behind the dark ones (blue, purple). A highlight swaps the two.
uint32_t classLabelBack(uint32_t colour)
{
    const int r = int(colour & 0xFFu), g = int((colour >> 8) & 0xFFu), b = int((colour >> 16) & 0xFFu);
    const int luma = (299 * r + 587 * g + 114 * b) / 1000;
    return luma >= 128 ? 0x00383838u : 0x00F0F0F0u;
}

std::filesystem::path logFile()
{
    std::error_code error;
    return areaLogPath(std::filesystem::current_path(error));
}

// A path as the user's file manager writes it.
QString shownPath(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(QString::fromStdString(files::utf8String(path)));
}

// Selects an option button from code and runs its click handler, also when
// it was selected already.
void select(QRadioButton* button, const std::function<void()>& click)
{
    if (button->isChecked())
        click();
    else
        button->setChecked(true);
}

} // namespace

AreaPanel::AreaPanel(WindowRegistry& windows, QWidget* parent)
    : QWidget(parent)
    , windows_(windows)
{
    setObjectName(QStringLiteral("frmArea"));
    setProperty("Tag", QString());
    setWindowTitle(QStringLiteral("Area"));
    setFont(toolWindowFont(font()));
    setFixedSize(views::twipsToPixels(2160), views::twipsToPixels(3660));

    chkAreaMeasure_ = new QCheckBox(QStringLiteral("Area"), this);
    chkAreaMeasure_->setObjectName(QStringLiteral("chkAreaMeasure"));
    chkAreaMeasure_->setGeometry(twips(120, 0, 720, 255));
    connect(chkAreaMeasure_, &QCheckBox::toggled, this, &AreaPanel::chkAreaMeasure_Click);

    cmdReset_ = new QPushButton(QStringLiteral("reset"), this);
    cmdReset_->setObjectName(QStringLiteral("cmdReset"));
    cmdReset_->setGeometry(twips(1200, 0, 855, 255));
    connect(cmdReset_, &QPushButton::clicked, this, &AreaPanel::cmdReset_Click);

    createToolRow(addFrame(1, QStringLiteral("Dot"), twips(0, 240, 2160, 495)), QStringLiteral("optDot"), optDot_);
    createToolRow(
        addFrame(0, QStringLiteral("Brush"), twips(0, 720, 2160, 495)), QStringLiteral("optBrush"), optBrush_);
    for (int i = 0; i < kToolSizeCount; ++i) {
        connect(optDot_[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optDot_Click(i);
        });
        connect(optBrush_[std::size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optBrush_Click(i);
        });
    }
    createClassRows(addFrame(2, QStringLiteral("Area"), twips(0, 1200, 2160, 2175)));

    cmdLog_ = new QPushButton(QStringLiteral("Log"), this);
    cmdLog_->setObjectName(QStringLiteral("cmdLog"));
    cmdLog_->setGeometry(twips(0, 3400, 1515, 255));
    connect(cmdLog_, &QPushButton::clicked, this, &AreaPanel::cmdLog_Click);
    cmdClear_ = new QPushButton(QStringLiteral("Clear"), this);
    cmdClear_->setObjectName(QStringLiteral("cmdClear"));
    cmdClear_->setGeometry(twips(1560, 3400, 615, 255));
    connect(cmdClear_, &QPushButton::clicked, this, &AreaPanel::cmdClear_Click);

    // The panel sees the key releases of every control first.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

QGroupBox* AreaPanel::addFrame(int index, const QString& caption, QRect geometry)
{
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(QStringLiteral("frm(%1)").arg(index));
    frame->setGeometry(geometry);
    return frame;
}

void AreaPanel::createToolRow(QGroupBox* frame, const QString& prefix, std::array<QRadioButton*, 4>& buttons)
{
    static const char* const captions[] = {"S", "M", "L", "H"};
    for (int i = 0; i < kToolSizeCount; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(captions[i]), frame);
        button->setObjectName(QStringLiteral("%1(%2)").arg(prefix).arg(i));
        button->setGeometry(twips(kToolX[std::size_t(i)], kToolY, kToolW, kToolH));
        buttons[std::size_t(i)] = button;
    }
}

void AreaPanel::createClassRows(QGroupBox* frame)
{
    for (int k = 0; k < kAreaClassCount; ++k) {
        const int top = 240 + 240 * (k / 2);
        const bool right = k % 2 == 1;
        if (k > 0) {
            auto* option = new QRadioButton(frame);
            option->setObjectName(QStringLiteral("optRgn(%1)").arg(k));
            option->setGeometry(twips(right ? 1080 : 120, top, 255, 180));
            connect(option, &QRadioButton::toggled, this, [this, k](bool on) {
                if (on)
                    optRgn_Click(k);
            });
            optRgn_[std::size_t(k)] = option;
        }
        auto* label = new QLabel(k == 0 ? QStringLiteral("100.0%") : QStringLiteral("0.0%"), frame);
        label->setObjectName(QStringLiteral("lblcs(%1)").arg(k));
        // 480 twips wide, or wider when this system's font needs more
        // room for "100.0%".
        QRect place = twips(right ? 1320 : 360, top - 15, 480, 210);
        place.setWidth(std::max(place.width(), label->fontMetrics().horizontalAdvance(QStringLiteral(" 100.0%"))));
        label->setGeometry(place);
        label->setToolTip(k == 0 ? QStringLiteral("No.0(remained dots)") : QStringLiteral("No.%1").arg(k));
        label->setAutoFillBackground(true);
        lblcs_[std::size_t(k)] = label;
        restoreLabel(k);
    }
}

QLabel* AreaPanel::lblcs(int k) const { return k >= 0 && k < kAreaClassCount ? lblcs_[std::size_t(k)] : nullptr; }

QRadioButton* AreaPanel::optDot(int i) const
{
    return i >= 0 && i < kToolSizeCount ? optDot_[std::size_t(i)] : nullptr;
}

QRadioButton* AreaPanel::optBrush(int i) const
{
    return i >= 0 && i < kToolSizeCount ? optBrush_[std::size_t(i)] : nullptr;
}

QRadioButton* AreaPanel::optRgn(int k) const
{
    return k >= 1 && k < kAreaClassCount ? optRgn_[std::size_t(k)] : nullptr;
}

void AreaPanel::Form_Load()
{
    loading_ = true;
    set_param();
    loading_ = false;
}

void AreaPanel::set_param()
{
    if (QRadioButton* dot = optDot(DotIdx))
        select(dot, [this] { optDot_Click(DotIdx); });
    if (QRadioButton* brush = optBrush(BrushIdx))
        select(brush, [this] { optBrush_Click(BrushIdx); });
    if (CurRgn > 0)
        if (QRadioButton* rgn = optRgn(CurRgn))
            select(rgn, [this] { optRgn_Click(CurRgn); });
}

void AreaPanel::showClassText(int k)
{
    if (QLabel* label = lblcs(k))
        label->setText(QString::fromStdString(ClassPercentText(ClassCount[std::size_t(k)])));
}

void AreaPanel::showAllClassTexts()
{
    for (int k = 0; k < kAreaClassCount; ++k)
        showClassText(k);
}

void AreaPanel::setLabelColours(int k, uint32_t text, uint32_t back)
{
    QLabel* label = lblcs(k);
    if (!label)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, views::colourOf(text, palette()));
    p.setColor(QPalette::Window, views::colourOf(back, palette()));
    label->setPalette(p);
}

void AreaPanel::restoreLabel(int k)
{
    if (k >= 0 && k < kAreaClassCount)
        setLabelColours(k, ClassColor[std::size_t(k)], classLabelBack(ClassColor[std::size_t(k)]));
}

void AreaPanel::highlightLabel(int k)
{
    if (k >= 0 && k < kAreaClassCount)
        setLabelColours(k, classLabelBack(ClassColor[std::size_t(k)]), ClassColor[std::size_t(k)]);
}

void AreaPanel::applyMouseResult(const AreaMouseResult& result)
{
    if (result.restoredLabel >= 0)
        restoreLabel(result.restoredLabel);
    if (result.highlightedLabel >= 0)
        highlightLabel(result.highlightedLabel);
    if (result.refreshTexts) {
        showClassText(0);
        showClassText(CurRgn);
    }
}

void AreaPanel::colourClassLabels()
{
    for (int k = 1; k < kAreaClassCount; ++k) {
        QLabel* label = lblcs(k);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, views::colourOf(ClassColor[std::size_t(k)]));
        label->setPalette(p);
    }
}

void AreaPanel::chkAreaMeasure_Click(bool checked)
{
    AreaOn = checked;
    if (AreaOn)
        area_update();
    SetAreaCursor(windows_);
    dst_update();
}

void AreaPanel::cmdReset_Click()
{
    if (!mayDiscardArea(this))
        return;
    const UndoableStep step("area reset");
    ResetArea(windows_);
}

void AreaPanel::optDot_Click(int index)
{
    if (!selectDotStyle(index))
        return;
    // A full redraw starts from the blit, which clears the old dots.
    if (!loading_ && AreaOn && isImage(hDst))
        dst_update();
}

void AreaPanel::optBrush_Click(int index)
{
    if (!selectBrush(index))
        return;
    if (!loading_ && AreaOn && isImage(hDst))
        SetBrushCursor(windows_);
}

void AreaPanel::optRgn_Click(int index)
{
    if (!selectClass(index))
        return;
    if (AreaOn && isImage(hDst))
        dst_update();
}

void AreaPanel::cmdLog_Click()
{
    const std::filesystem::path log = logFile();
    if (!appendAreaLog(log, currentAreaLogEntry())) {
        dialogs().message(this, QString::fromLatin1(kLogWriteError), QMessageBox::Critical);
        return;
    }
    markAreaKept();
    showNote(QStringLiteral("Logged to %1").arg(shownPath(log)));
}

void AreaPanel::cmdClear_Click()
{
    const std::filesystem::path log = logFile();
    switch (clearAreaLog(log)) {
    case LogClearing::Kept:
        showNote(QStringLiteral("Log cleared; its entries are kept in %1").arg(shownPath(areaLogBackupPath(log))));
        break;
    case LogClearing::NothingToKeep:
        showNote(QStringLiteral("Log cleared; it was empty, %1 is as it was").arg(shownPath(areaLogBackupPath(log))));
        break;
    case LogClearing::BackupFailed:
        dialogs().message(this, QString::fromLatin1(kLogBackupError), QMessageBox::Critical);
        break;
    case LogClearing::Failed:
        dialogs().message(this, QString::fromLatin1(kLogClearError), QMessageBox::Critical);
        break;
    }
}

void AreaPanel::showNote(const QString& text) { windows_.showStatusNote(text); }

void AreaPanel::Form_KeyUp(int keyCode)
{
    constexpr int kEnter = 13;
    if (keyCode != kEnter)
        return;
    windows_.applyParameterWindow();
}

bool AreaPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Form_KeyUp(13);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace karwen::ui
