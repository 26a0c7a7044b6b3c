#include "FDocumentProperties.h"

#include "uPrinter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Options shown by the fixed lists above the driver's own ones.
bool IsFixedOption(const QString& key) {
    static const QStringList fixed{"PageSize", "PageRegion",    "Resolution",    "ColorModel",
                                   "Duplex",   "ImageableArea", "PaperDimension"};
    return fixed.contains(key);
}

const Platform::PrinterOption* FindOption(const QList<Platform::PrinterOption>& options,
                                          const QString& key) {
    for (const auto& o : options) {
        if (o.Key == key)
            return &o;
    }
    return nullptr;
}

int ChoiceDpi(const QString& choice) {
    int i = 0;
    while (i < choice.size() && choice[i].isDigit())
        ++i;
    return choice.left(i).toInt();
}

// The driver's choice for a grey or colour ColorModel.
QString ColorChoice(const Platform::PrinterOption& o, bool gray) {
    for (const QString& c : o.Choices) {
        const QString l = c.toLower();
        const bool isGray =
            l.contains("gray") || l.contains("grey") || l.contains("mono") || l.contains("black");
        if (isGray == gray)
            return c;
    }
    return QString();
}

} // namespace

TDocumentPropertiesDlg::TDocumentPropertiesDlg(const TPrinter& printer, const TDevMode& settings,
                                               QWidget* parent)
    : QDialog(parent), base_(settings), options_(printer.DriverOptions()) {
    setWindowTitle(QStringLiteral("Eigenschaften von %1").arg(printer.DeviceName()));
    auto* top = new QVBoxLayout(this);
    auto* basic = new QGroupBox(QStringLiteral("Papier und Qualität"), this);
    auto* form = new QFormLayout(basic);

    cbPapier = new QComboBox(basic);
    for (const TPrinter::Paper& p : printer.PaperSizes())
        cbPapier->addItem(p.Name, p.Key);
    int i = cbPapier->findData(settings.PaperKey);
    if (i < 0 && !settings.PaperKey.isEmpty()) {
        cbPapier->addItem(settings.PaperKey, settings.PaperKey);
        i = cbPapier->count() - 1;
    }
    cbPapier->setCurrentIndex(std::max(0, i));
    form->addRow(QStringLiteral("&Papierformat:"), cbPapier);

    cbAusrichtung = new QComboBox(basic);
    cbAusrichtung->addItem(QStringLiteral("Hochformat"), 0);
    cbAusrichtung->addItem(QStringLiteral("Querformat"), 1);
    cbAusrichtung->setCurrentIndex(settings.Orientation == 1 ? 1 : 0);
    form->addRow(QStringLiteral("&Ausrichtung:"), cbAusrichtung);

    cbFarbe = new QComboBox(basic);
    cbFarbe->addItem(QStringLiteral("Farbe"), TDevMode::kColor);
    cbFarbe->addItem(QStringLiteral("Graustufen"), TDevMode::kMonochrome);
    cbFarbe->setCurrentIndex(settings.Color == TDevMode::kMonochrome ? 1 : 0);
    form->addRow(QStringLiteral("&Farbe:"), cbFarbe);

    cbAufloesung = new QComboBox(basic);
    QList<int> dpis = printer.Resolutions();
    if (!dpis.contains(settings.Resolution))
        dpis << settings.Resolution;
    for (int d : dpis)
        cbAufloesung->addItem(QStringLiteral("%1 dpi").arg(d), d);
    cbAufloesung->setCurrentIndex(std::max(0, cbAufloesung->findData(settings.Resolution)));
    form->addRow(QStringLiteral("Au&flösung:"), cbAufloesung);

    if (const Platform::PrinterOption* duplex = FindOption(options_, "Duplex");
        duplex && duplex->Choices.size() > 1) {
        cbDuplex = new QComboBox(basic);
        cbDuplex->addItem(QStringLiteral("Einseitig"), TDevMode::kSimplex);
        cbDuplex->addItem(QStringLiteral("Beidseitig, lange Kante"), TDevMode::kDuplexLongEdge);
        cbDuplex->addItem(QStringLiteral("Beidseitig, kurze Kante"), TDevMode::kDuplexShortEdge);
        cbDuplex->setCurrentIndex(std::clamp(settings.Duplex, 0, 2));
        form->addRow(QStringLiteral("&Duplex:"), cbDuplex);
    }
    top->addWidget(basic);

    QWidget* more = nullptr;
    QFormLayout* moreForm = nullptr;
    for (const Platform::PrinterOption& o : options_) {
        if (IsFixedOption(o.Key))
            continue;
        if (!more) {
            more = new QWidget;
            moreForm = new QFormLayout(more);
        }
        auto* cb = new QComboBox(more);
        for (int c = 0; c < o.Choices.size(); ++c)
            cb->addItem(o.ChoiceTexts.value(c, o.Choices[c]), o.Choices[c]);
        QString value = settings.Option(o.Key);
        if (value.isEmpty())
            value = o.Default;
        cb->setCurrentIndex(std::max(0, cb->findData(value)));
        cb->setObjectName(o.Key);
        moreForm->addRow(o.Text + QLatin1Char(':'), cb);
        Weitere.append({o, cb});
    }
    if (more) {
        auto* group = new QGroupBox(QStringLiteral("Weitere Einstellungen des Druckers"), this);
        auto* gl = new QVBoxLayout(group);
        auto* scroll = new QScrollArea(group);
        scroll->setWidget(more);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        gl->addWidget(scroll);
        top->addWidget(group, 1);
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

TDevMode TDocumentPropertiesDlg::Settings() const {
    TDevMode m = base_;
    const QString paper = cbPapier->currentData().toString();
    if (!paper.isEmpty() && paper != m.PaperKey) {
        m.PaperKey = paper;
        const QPageSize size = [&] {
            for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
                const QPageSize s(static_cast<QPageSize::PageSizeId>(id));
                if (s.key() == paper)
                    return s;
            }
            return QPageSize();
        }();
        if (size.isValid()) {
            const QSizeF mm = size.size(QPageSize::Millimeter);
            m.PaperWidthMM = mm.width();
            m.PaperHeightMM = mm.height();
        }
    }
    m.Orientation = cbAusrichtung->currentData().toInt();
    m.Color = cbFarbe->currentData().toInt();
    m.Resolution = cbAufloesung->currentData().toInt();
    if (cbDuplex)
        m.Duplex = cbDuplex->currentData().toInt();

    // Keep the driver's own options in step with the fixed lists.
    if (const auto* o = FindOption(options_, "PageSize"); o && o->Choices.contains(m.PaperKey))
        m.SetOption(o->Key, m.PaperKey);
    if (const auto* o = FindOption(options_, "PageRegion"); o && o->Choices.contains(m.PaperKey))
        m.SetOption(o->Key, m.PaperKey);
    if (const auto* o = FindOption(options_, "Resolution")) {
        for (const QString& c : o->Choices) {
            if (ChoiceDpi(c) == m.Resolution) {
                m.SetOption(o->Key, c);
                break;
            }
        }
    }
    if (const auto* o = FindOption(options_, "ColorModel")) {
        const QString c = ColorChoice(*o, m.Color == TDevMode::kMonochrome);
        if (!c.isEmpty())
            m.SetOption(o->Key, c);
    }
    if (const auto* o = FindOption(options_, "Duplex")) {
        const QString want = m.Duplex == TDevMode::kDuplexLongEdge    ? "DuplexNoTumble"
                             : m.Duplex == TDevMode::kDuplexShortEdge ? "DuplexTumble"
                                                                      : "None";
        if (o->Choices.contains(want))
            m.SetOption(o->Key, want);
    }
    for (const auto& [option, cb] : Weitere)
        m.SetOption(option.Key, cb->currentData().toString());
    return m;
}
