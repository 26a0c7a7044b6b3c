// velamor-cli templates [--json]: the built-in catalogue of paper templates,
// as a readable table or as JSON (panels, then every template with its
// sheet size and photo areas in millimetres).

#include "cli.h"
#include "uTemplateData.h"
#include "uVorlagen.h"

#include <QByteArray>
#include <QString>

#include <charconv>
#include <cstdio>
#include <system_error>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// The shortest decimal text that reads back as the same 32-bit float.
QByteArray Num(float v) {
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    if (r.ec != std::errc())
        return QByteArray("0");
    return QByteArray(buf, static_cast<qsizetype>(r.ptr - buf));
}

QByteArray JsonString(const QString& s) {
    QByteArray out("\"");
    for (const char c : s.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", u);
                out += esc;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

QStringList DescriptionLines(const TPaperTemplate& t) {
    if (t.Description.isEmpty())
        return {};
    return t.Description.split(kCRLF);
}

QByteArray Json(const TTemplateList& list) {
    QByteArray o;
    o += "{\n  \"panels\": [";
    const std::vector<TCatalogPanel>& panels = CataloguePanels();
    for (size_t i = 0; i < panels.size(); ++i) {
        const TCatalogPanel& p = panels[i];
        o += i ? ",\n    {" : "\n    {";
        o += "\"caption\": " + JsonString(p.Caption);
        o += ", \"color\": {\"r\": " + QByteArray::number(p.Color.red()) +
             ", \"g\": " + QByteArray::number(p.Color.green()) +
             ", \"b\": " + QByteArray::number(p.Color.blue()) + "}";
        o += ", \"templates\": [";
        for (size_t k = 0; k < p.Templates.size(); ++k) {
            if (k)
                o += ", ";
            o += QByteArray::number(p.Templates[k]);
        }
        o += "]}";
    }
    o += "\n  ],\n  \"templates\": [";
    for (size_t n = 0; n < list.size(); ++n) {
        const TPaperTemplate& t = *list[n];
        o += n ? ",\n    {\n" : "\n    {\n";
        o += "      \"number\": " + QByteArray::number(static_cast<int>(n)) + ",\n";
        o += "      \"caption\": " + JsonString(t.Caption) + ",\n";
        o += "      \"description\": [";
        const QStringList lines = DescriptionLines(t);
        for (qsizetype k = 0; k < lines.size(); ++k) {
            if (k)
                o += ", ";
            o += JsonString(lines[k]);
        }
        o += "],\n";
        o += "      \"width\": " + Num(t.Width) + ",\n";
        o += "      \"height\": " + Num(t.Height) + ",\n";
        o += "      \"areas\": [";
        for (int a = 0; a < t.Count(); ++a) {
            const TPosdata& p = t.Position(a);
            o += a ? ",\n        {" : "\n        {";
            o += "\"x\": " + Num(p.X) + ", \"y\": " + Num(p.Y) + ", \"width\": " + Num(p.Width) +
                 ", \"height\": " + Num(p.Height) + ", \"bleedLeft\": " + Num(p.BleedLeft) +
                 ", \"bleedTop\": " + Num(p.BleedTop) + ", \"bleedRight\": " + Num(p.BleedRight) +
                 ", \"bleedBottom\": " + Num(p.BleedBottom) + "}";
        }
        o += t.Count() ? "\n      ]\n    }" : "]\n    }";
    }
    o += "\n  ]\n}\n";
    return o;
}

QByteArray Table(const TTemplateList& list) {
    QByteArray o;
    o += "Gruppen:\n";
    for (const TCatalogPanel& p : CataloguePanels()) {
        QByteArray nums;
        for (size_t k = 0; k < p.Templates.size(); ++k) {
            if (k)
                nums += ", ";
            nums += QByteArray::number(p.Templates[k]);
        }
        o += "  " + p.Caption.toUtf8().leftJustified(18) + " Farbe " +
             QByteArray::number(p.Color.red()) + "," + QByteArray::number(p.Color.green()) + "," +
             QByteArray::number(p.Color.blue()) + "  Vorlagen " + nums + "\n";
    }
    o += "\nNr  Bogen (mm)      Felder  Bezeichnung\n";
    for (size_t n = 0; n < list.size(); ++n) {
        const TPaperTemplate& t = *list[n];
        const QByteArray sheet = Num(t.Width) + " x " + Num(t.Height);
        o += QByteArray::number(static_cast<int>(n)).rightJustified(2) + "  " +
             sheet.leftJustified(15) + " " + QByteArray::number(t.Count()).rightJustified(6) +
             "  " + t.Caption.toUtf8() + "\n";
    }
    return o;
}

} // namespace

int CmdTemplates(const QStringList& args) {
    bool json = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else {
            std::fprintf(stderr,
                         "Unbekanntes Argument: %s\nAufruf: velamor-cli templates [--json]\n",
                         qPrintable(a));
            return 2;
        }
    }
    TTemplateList list;
    BuildCatalogue(list);
    const QByteArray out = json ? Json(list) : Table(list);
    if (std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout) !=
            static_cast<size_t>(out.size()) ||
        std::fflush(stdout) != 0) {
        std::fputs("Ausgabe konnte nicht geschrieben werden.\n", stderr);
        return 1;
    }
    return 0;
}
