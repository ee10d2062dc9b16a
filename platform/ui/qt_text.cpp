#include "platform/ui/qt_text.h"

QString AnsiToQString(const AnsiString& ansi) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(ansi.data());
    const qsizetype size = static_cast<qsizetype>(ansi.size());
    qsizetype i = 0;
    while (i < size && bytes[i] < 0x80) ++i;
    if (i == size) return QString::fromLatin1(ansi.data(), size);

    QString out(size, Qt::Uninitialized);
    QChar* w = out.data();
    for (qsizetype k = 0; k < size; ++k) {
        // Every Windows-1252 byte has a character of the basic plane.
        w[k] = QChar(static_cast<char16_t>(AnsiCharToUnicode(bytes[k])));
    }
    return out;
}

AnsiString QStringToAnsi(const QString& text) {
    AnsiString out;
    out.resize(static_cast<size_t>(text.size()));
    const QChar* p = text.constData();
    const qsizetype size = text.size();
    size_t w = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = p[i].unicode();
        if (u < 0x80) {
            out[w++] = static_cast<char>(u);
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < size &&
            QChar::isLowSurrogate(p[i + 1].unicode())) {
            ++i;  // a character outside the basic plane: no byte for it
            out[w++] = '?';
            continue;
        }
        const int b = QChar::isSurrogate(u) ? -1 : UnicodeToAnsiChar(u);
        out[w++] = b < 0 ? '?' : static_cast<char>(b);
    }
    out.resize(w);
    return out;
}
