#include "latin1_text.h"

namespace morvale::ui {

namespace {

std::string_view untilZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

QString fromLatin1(std::string_view latin1) {
    const std::string_view text = untilZero(latin1);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toLatin1(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        bytes.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    }
    return bytes;
}

QString noticeFromLatin1(std::string_view latin1) {
    return fromLatin1(latin1).replace(QChar(0x96), QChar(0x2013));
}

QString editorTextFromLatin1(std::string_view latin1) {
    const std::string_view text = untilZero(latin1);
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            result.append(QChar(u'\n'));
        } else {
            result.append(QChar(static_cast<unsigned char>(c)));
        }
    }
    return result;
}

std::string editorTextToLatin1(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()) + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\n':
            case QChar::ParagraphSeparator:
            case QChar::LineSeparator:
                bytes.append("\r\n");
                break;
            default:
                bytes.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
        }
    }
    return bytes;
}

}  // namespace morvale::ui
