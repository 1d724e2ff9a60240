#include "app/sheet_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace quiltmap::app {
namespace {

// Wide enough for any sheet a machine can hold.
constexpr int maxPixels = 100000;

// The data files by their names in the settings, with their captions.
constexpr std::pair<const char16_t *, const char *> dataCaptions[] = {
    { u"json", "JSON grid data (.json)" },
    { u"csv", "CSV grid data (.csv)" },
    { u"phaser", "Phaser and PixiJS atlas (.atlas.json)" },
    { u"tiled", "Tiled tileset (.tsx)" },
};

QSpinBox *pixelBox(QWidget *parent, const char *name)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, maxPixels);
    box->setSuffix(QStringLiteral(" px"));
    return box;
}

QComboBox *choiceBox(QWidget *parent, const char *name, const QString &first, const QString &second)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems({ first, second });
    return box;
}

} // namespace

SheetOptionsDialog::SheetOptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SheetOptionsDialog"));
    setWindowTitle(QStringLiteral("Sheet Options"));
    auto *form = new QFormLayout(this);

    auto *background = new QHBoxLayout;
    m_white = new QRadioButton(QStringLiteral("&White"), this);
    m_transparent = new QRadioButton(QStringLiteral("&Transparent"), this);
    m_colour = new QRadioButton(QStringLiteral("Co&lour"), this);
    m_chooseColour = new QPushButton(this);
    m_chooseColour->setObjectName(QStringLiteral("chooseColour"));
    auto *backgroundGroup = new QButtonGroup(this);
    for (QRadioButton *button : { m_white, m_transparent, m_colour }) {
        backgroundGroup->addButton(button);
        background->addWidget(button);
    }
    background->addWidget(m_chooseColour);
    form->addRow(QStringLiteral("Background:"), background);
    connect(m_chooseColour, &QPushButton::clicked, this, &SheetOptionsDialog::chooseColour);

    m_spacing = pixelBox(this, "spacing");
    form->addRow(QStringLiteral("&Spacing between cells:"), m_spacing);
    m_margin = pixelBox(this, "margin");
    form->addRow(QStringLiteral("&Margin around the sheet:"), m_margin);
    m_order = choiceBox(
        this, "order", QStringLiteral("By name"), QStringLiteral("Natural (numbers by value)"));
    form->addRow(QStringLiteral("&Order:"), m_order);
    m_cell = choiceBox(this, "cell", QStringLiteral("The first file's size"),
        QStringLiteral("The largest width and height"));
    form->addRow(QStringLiteral("Cell si&ze:"), m_cell);
    m_anyFormat = new QCheckBox(QStringLiteral("Read any image &format"), this);
    m_anyFormat->setObjectName(QStringLiteral("anyFormat"));
    form->addRow(m_anyFormat);
    m_keepGoing = new QCheckBox(QStringLiteral("S&kip files that cannot be read"), this);
    m_keepGoing->setObjectName(QStringLiteral("keepGoing"));
    form->addRow(m_keepGoing);

    auto *dataFiles = new QVBoxLayout;
    for (const auto &[name, caption] : dataCaptions) {
        auto *box = new QCheckBox(QLatin1String(caption), this);
        box->setObjectName(QString::fromUtf16(name));
        dataFiles->addWidget(box);
        m_data.append(box);
    }
    form->addRow(QStringLiteral("Data files beside the sheet:"), dataFiles);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void SheetOptionsDialog::setSettings(const settings::SheetSettings &values)
{
    m_values = values;
    const sheet::SheetBackground &background = values.background;
    (background.transparent                          ? m_transparent
            : background == sheet::SheetBackground() ? m_white
                                                     : m_colour)
        ->setChecked(true);
    showColour();
    m_spacing->setValue(values.spacing);
    m_margin->setValue(values.margin);
    m_order->setCurrentIndex(values.naturalOrder ? 1 : 0);
    m_cell->setCurrentIndex(values.largestCell ? 1 : 0);
    m_anyFormat->setChecked(values.anyFormat);
    m_keepGoing->setChecked(values.keepGoing);
    for (QCheckBox *box : m_data)
        box->setChecked(values.data.contains(box->objectName()));
}

settings::SheetSettings SheetOptionsDialog::settings() const
{
    settings::SheetSettings result = m_values;
    result.background = m_white->isChecked() ? sheet::SheetBackground() : m_values.background;
    result.background.transparent = m_transparent->isChecked();
    result.spacing = m_spacing->value();
    result.margin = m_margin->value();
    result.naturalOrder = m_order->currentIndex() == 1;
    result.largestCell = m_cell->currentIndex() == 1;
    result.anyFormat = m_anyFormat->isChecked();
    result.keepGoing = m_keepGoing->isChecked();
    // Formats this window does not offer stay as they were.
    QStringList formats;
    for (const QString &name : settings::kDataFormatNames) {
        const auto box = std::find_if(m_data.begin(), m_data.end(),
            [&](const QCheckBox *b) { return b->objectName() == name; });
        if (box == m_data.end() ? m_values.data.contains(name) : (*box)->isChecked())
            formats.append(name);
    }
    result.data = formats;
    return result;
}

void SheetOptionsDialog::chooseColour()
{
    const auto [red, green, blue] = m_values.background.rgb;
    const QColor chosen = QColorDialog::getColor(
        QColor(red, green, blue), this, QStringLiteral("Background Colour"));
    if (!chosen.isValid())
        return;
    m_values.background.rgb
        = { std::uint8_t(chosen.red()), std::uint8_t(chosen.green()), std::uint8_t(chosen.blue()) };
    m_colour->setChecked(true);
    showColour();
}

// The button shows the colour as a swatch and as "#RRGGBB".
void SheetOptionsDialog::showColour()
{
    sheet::SheetBackground opaque = m_values.background;
    opaque.transparent = false;
    m_chooseColour->setText(sheet::backgroundText(opaque) + QStringLiteral("..."));
    const auto [red, green, blue] = opaque.rgb;
    QPixmap swatch(16, 16);
    swatch.fill(QColor(red, green, blue));
    m_chooseColour->setIcon(QIcon(swatch));
}

} // namespace quiltmap::app
