#include "print/PageSizes.h"

#include "base/ClsIni.h"
#include "base/Settings.h"

#include <QSizeF>
#include <array>

namespace {

struct PageSizeEntry {
    const char* text;
    // A standard paper of the same size, or Custom when Qt knows none.
    QPageSize::PageSizeId id;
    // The exact size, used for the Custom ones.
    double width;
    double height;
    QPageSize::Unit unit;
};

// In code order, code 1 first. Qt's "Executive" is 7.5 x 10 in, so that one
// is defined by its size; "Folio 8.5x13in" is the paper Qt calls German
// legal fan-fold; "B4 250x354mm" is the ISO B4 sheet (250 x 353 mm, the old
// figure rounded the other way) and "B5 182x257mm" the JIS B5 sheet.
constexpr std::array<PageSizeEntry, PageSizes::Last> kSizes{{
    {"Letter 8.5x11in", QPageSize::Letter, 8.5, 11, QPageSize::Inch},
    {"Legal 8.5x14in", QPageSize::Legal, 8.5, 14, QPageSize::Inch},
    {"Executive 7.5x10.5in", QPageSize::Custom, 7.5, 10.5, QPageSize::Inch},
    {"Tabloid 11x17in", QPageSize::Tabloid, 11, 17, QPageSize::Inch},
    {"Ledger 17x11in", QPageSize::Ledger, 17, 11, QPageSize::Inch},
    {"Statement 5.5x8.5in", QPageSize::Statement, 5.5, 8.5, QPageSize::Inch},
    {"Folio 8.5x13in", QPageSize::FanFoldGermanLegal, 8.5, 13, QPageSize::Inch},
    {"A3 297x420mm", QPageSize::A3, 297, 420, QPageSize::Millimeter},
    {"A4 210x297mm", QPageSize::A4, 210, 297, QPageSize::Millimeter},
    {"A5 148x210mm", QPageSize::A5, 148, 210, QPageSize::Millimeter},
    {"B4 250x354mm", QPageSize::B4, 250, 353, QPageSize::Millimeter},
    {"B5 182x257mm", QPageSize::JisB5, 182, 257, QPageSize::Millimeter},
}};

const PageSizeEntry& Entry(int code) {
    const int valid = PageSizes::IsValid(code) ? code : PageSizes::Default;
    return kSizes[std::size_t(valid - PageSizes::First)];
}

} // namespace

bool PageSizes::IsValid(int code) {
    return code >= First && code <= Last;
}

QString PageSizes::Text(int code) {
    return QString::fromLatin1(Entry(code).text);
}

QPageSize PageSizes::Size(int code) {
    const PageSizeEntry& entry = Entry(code);
    if (entry.id != QPageSize::Custom)
        return QPageSize(entry.id);
    return QPageSize(QSizeF(entry.width, entry.height), entry.unit, QString::fromLatin1(entry.text),
                     QPageSize::ExactMatch);
}

int PageSizes::CurrentCode() {
    bool ok = false;
    const int code = Settings::Ini()
                         .GetValue(QStringLiteral("Options"), QStringLiteral("PageSize"), Default)
                         .toInt(&ok);
    return ok && IsValid(code) ? code : Default;
}

int PageSizes::LocaleCode(const QLocale& locale) {
    static constexpr int kLetter = 1;
    static constexpr int kA4 = 9;
    static_assert(kSizes[kLetter - First].id == QPageSize::Letter &&
                  kSizes[kA4 - First].id == QPageSize::A4);
    switch (locale.territory()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::PuertoRico:
    case QLocale::Guatemala:
    case QLocale::Belize:
    case QLocale::ElSalvador:
    case QLocale::Honduras:
    case QLocale::Nicaragua:
    case QLocale::CostaRica:
    case QLocale::Panama:
    case QLocale::DominicanRepublic:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::Chile:
    case QLocale::Philippines:
        return kLetter;
    default:
        return kA4;
    }
}
