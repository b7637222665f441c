// SPDX-License-Identifier: MIT
#include "fontdialog.h"

#include "uitexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

bool FontDialog::isFixedPitchFamily(const QString& family)
{
    if (QFontDatabase::isFixedPitch(family))
        return true;
    // Japanese faces declare "dual" spacing: half-width Latin, full-width kana and kanji. Their
    // columns line up as well, and the ruler counts exactly such half-width cells.
    const QFontMetricsF metrics { QFont(family) };
    const qreal width = metrics.horizontalAdvance(QLatin1Char('M'));
    return width > 0 && metrics.horizontalAdvance(QLatin1Char('i')) == width &&
        metrics.horizontalAdvance(QLatin1Char('W')) == width;
}

FontDialog::FontDialog(const QFont& initial, std::optional<QColor> colour, QWidget* parent)
    : QDialog(parent)
    , m_initial(initial)
    , m_initialColour(colour)
{
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(FontDialogText::Title);
    // A font given in pixels is shown in points, as the size list counts.
    m_initialPointSize = initial.pointSize() > 0 ? initial.pointSize() : QFontInfo(initial).pointSize();

    m_families = new QListWidget(this);
    m_families->setObjectName(QStringLiteral("families"));
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family) && isFixedPitchFamily(family))
            families.append(family);
    }
    if (!families.contains(initial.family()))
        families.prepend(initial.family());
    m_families->addItems(families);
    m_families->setCurrentRow(int(families.indexOf(initial.family())));

    m_sizes = new QComboBox(this);
    m_sizes->setObjectName(QStringLiteral("sizes"));
    m_sizes->setEditable(true);
    m_sizes->setValidator(new QIntValidator(1, 999, m_sizes));
    for (const int size : QFontDatabase::standardSizes())
        m_sizes->addItem(QString::number(size));
    m_sizes->setCurrentText(QString::number(m_initialPointSize));

    m_bold = new QCheckBox(FontDialogText::Bold, this);
    m_bold->setChecked(initial.bold());
    m_italic = new QCheckBox(FontDialogText::Italic, this);
    m_italic->setChecked(initial.italic());
    m_underline = new QCheckBox(FontDialogText::Underline, this);
    m_underline->setChecked(initial.underline());
    m_strikeOut = new QCheckBox(FontDialogText::StrikeOut, this);
    m_strikeOut->setChecked(initial.strikeOut());
    auto* effects = new QGroupBox(FontDialogText::Effects, this);
    auto* effectsColumn = new QVBoxLayout(effects);
    for (QCheckBox* box : { m_bold, m_italic, m_underline, m_strikeOut })
        effectsColumn->addWidget(box);

    auto* form = new QFormLayout;
    form->addRow(FontDialogText::Family, m_families);
    form->addRow(FontDialogText::Size, m_sizes);
    form->addRow(effects);
    if (colour) {
        m_colours = new QComboBox(this);
        m_colours->setObjectName(QStringLiteral("colours"));
        for (const NamedColour& named : kBasicColours)
            m_colours->addItem(swatch(QColor(named.rgb)), named.name, QColor(named.rgb));
        int index = m_colours->findData(*colour);
        if (index < 0) {
            m_colours->addItem(swatch(*colour), FontDialogText::CustomColour, *colour);
            index = m_colours->count() - 1;
        }
        m_colours->setCurrentIndex(index);
        form->addRow(FontDialogText::Colour, m_colours);
        connect(m_colours, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
    }
    m_sample = new QLabel(FontDialogText::SampleText, this);
    m_sample->setTextFormat(Qt::PlainText);
    m_sample->setMinimumHeight(48);
    form->addRow(FontDialogText::Sample, m_sample);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);

    connect(m_families, &QListWidget::currentRowChanged, this, &FontDialog::updateSample);
    connect(m_sizes, &QComboBox::currentTextChanged, this, &FontDialog::updateSample);
    for (QCheckBox* box : { m_bold, m_italic, m_underline, m_strikeOut })
        connect(box, &QCheckBox::toggled, this, &FontDialog::updateSample);
    updateSample();
}

QString FontDialog::chosenFamily() const
{
    const QListWidgetItem* item = m_families->currentItem();
    return item ? item->text() : m_initial.family();
}

int FontDialog::chosenPointSize() const
{
    bool ok = false;
    const int size = m_sizes->currentText().toInt(&ok);
    return ok && size > 0 ? size : m_initialPointSize;
}

FontChoice FontDialog::choice() const
{
    // Only what the user changed is changed: the rest, a pixel size included, stays as it came.
    QFont font = m_initial;
    if (chosenFamily() != m_initial.family())
        font.setFamily(chosenFamily());
    if (chosenPointSize() != m_initialPointSize)
        font.setPointSize(chosenPointSize());
    if (m_bold->isChecked() != m_initial.bold())
        font.setBold(m_bold->isChecked());
    if (m_italic->isChecked() != m_initial.italic())
        font.setItalic(m_italic->isChecked());
    if (m_underline->isChecked() != m_initial.underline())
        font.setUnderline(m_underline->isChecked());
    if (m_strikeOut->isChecked() != m_initial.strikeOut())
        font.setStrikeOut(m_strikeOut->isChecked());
    FontChoice result { font, std::nullopt };
    if (m_colours)
        result.colour = m_colours->currentData().value<QColor>();
    return result;
}

void FontDialog::updateSample()
{
    const FontChoice chosen = choice();
    m_sample->setFont(chosen.font);
    if (chosen.colour) {
        QPalette palette = m_sample->palette();
        palette.setColor(QPalette::WindowText, *chosen.colour);
        m_sample->setPalette(palette);
    }
}
