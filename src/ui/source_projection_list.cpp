#include "source_projection_list.h"

#include "dialog_seam.h"
#include "mdl_karwen.h"
#include "parameter_form.h"
#include "undoable_step.h"

#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QtMath>

#include <algorithm>

namespace karwen::ui {

namespace {

// The projections, then a separator, then the lenses.
int firstLensItem() { return int(ParameterForm::projectionNames(true).size()) + 1; }

bool sameFunction(const RixLens& a, const RixLens& b)
{
    return std::equal(std::begin(a.A), std::end(a.A), std::begin(b.A)) && a.HalfFov == b.HalfFov;
}

bool isBuiltIn(const NamedLens& lens)
{
    const auto& builtIn = builtInLenses();
    return std::any_of(builtIn.begin(), builtIn.end(),
        [&lens](const NamedLens& b) { return b.name == lens.name && sameFunction(b.lens, lens.lens); });
}

// The file's reason as a sentence of its own.
QString sentence(const std::string& why)
{
    QString text = QString::fromStdString(why);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

} // namespace

SourceProjectionList::SourceProjectionList(QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbS"));
    setEditable(false);
    ParameterForm::addProjections(this, true);
    insertSeparator(count());
    addItem(QStringLiteral("Lens file..."));
    setItemData(openFileItem(), QStringLiteral("Read the lens from a lens file"), Qt::ToolTipRole);
    for (const NamedLens& lens : builtInLenses())
        (void)lensItem(lens);
    connect(this, &QComboBox::currentIndexChanged, this, &SourceProjectionList::itemPicked);
}

const NamedLens* SourceProjectionList::lensAt(int item) const
{
    const int i = item - firstLensItem();
    return i >= 0 && i < int(lenses_.size()) ? &lenses_[std::size_t(i)] : nullptr;
}

int SourceProjectionList::lensItem(const NamedLens& lens)
{
    const auto same = std::find_if(lenses_.begin(), lenses_.end(),
        [&lens](const NamedLens& shown) { return shown.name == lens.name && sameFunction(shown.lens, lens.lens); });
    if (same != lenses_.end())
        return firstLensItem() + int(same - lenses_.begin());
    // A lens file read again after an edit takes the place of what it said before.
    const auto renewed = std::find_if(lenses_.begin(), lenses_.end(),
        [&lens](const NamedLens& shown) { return shown.name == lens.name && !isBuiltIn(shown); });
    int item = 0;
    if (renewed != lenses_.end() && !isBuiltIn(lens)) {
        *renewed = lens;
        item = firstLensItem() + int(renewed - lenses_.begin());
    } else {
        lenses_.push_back(lens);
        item = openFileItem();
        const QSignalBlocker quiet(this); // inserting before the selection moves it
        insertItem(item, QString::fromStdString(lens.name));
    }
    setItemData(item, QString::fromStdString(lens.name + "\n" + lens.source), Qt::ToolTipRole);
    return item;
}

QSize SourceProjectionList::sizeHint() const
{
    // The size QComboBox gives a list of these items.
    const QFontMetrics metrics = fontMetrics();
    QSize content(0, std::max(qCeil(QFontMetricsF(metrics).height()), 14) + 2);
    for (const QString& name : ParameterForm::projectionNames(true))
        content.setWidth(std::max(content.width(), metrics.boundingRect(name).width()));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this);
}

void SourceProjectionList::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect text = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // A long lens name keeps its beginning, where names differ (the lens and
    // its focal length); the tool tip and the open list show it whole.
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, text.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void SourceProjectionList::showGlobals()
{
    // The lens kept while a projection is used is listed, to be picked again.
    const int kept = SrcLens ? lensItem(*SrcLens) : -1;
    int item = -1;
    if (SrcPrm.Proj == RixLensSource) {
        item = kept;
    } else {
        item = ParameterForm::projectionItem(this, SrcPrm.Proj);
    }
    setCurrentIndex(item);
    stored_ = currentIndex();
    setToolTip(itemData(stored_, Qt::ToolTipRole).toString());
}

void SourceProjectionList::showStored()
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(stored_);
}

void SourceProjectionList::itemPicked(int item)
{
    if (item < 0)
        return;
    if (item == openFileItem()) {
        showStored(); // not "Lens file..." behind the file dialog
        const std::optional<NamedLens> lens = askForLensFile();
        if (!lens) {
            showStored();
            return;
        }
        stored_ = lensItem(*lens);
        showStored();
        item = stored_;
    }
    const NamedLens* lens = lensAt(item);
    const std::optional<int32_t> code = ParameterForm::projectionAt(this, item);
    if (!lens && !code)
        return; // the separator
    // The choice and the conversion it runs are one step.
    const UndoableStep step(lens ? "lens choice" : "projection choice");
    if (lens) {
        SrcLens = *lens;
        SrcPrm.Proj = RixLensSource;
    } else {
        SrcPrm.Proj = *code;
    }
    stored_ = item;
    setToolTip(itemData(item, Qt::ToolTipRole).toString());
    emit chosen();
}

std::optional<NamedLens> SourceProjectionList::askForLensFile()
{
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Open;
    request.fileName = lastFile_;
    request.filters = {QStringLiteral("Lens files (*.lens *.txt)"), QStringLiteral("All files (*)")};
    const std::optional<QString> path = dialogs().fileDialog(this, request);
    if (!path)
        return std::nullopt;
    lastFile_ = *path;
    std::string why;
    std::optional<NamedLens> lens = readLensFile(path->toStdString(), &why);
    if (!lens)
        dialogs().messageWithDetail(
            this, QStringLiteral("The lens file cannot be used."), sentence(why), QMessageBox::Warning);
    return lens;
}

} // namespace karwen::ui
