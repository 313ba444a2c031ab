// Text output and measurement: TextOut, ExtTextOut and DrawText with the platform's layout
// rules (prefix characters, alignment in a rectangle, end ellipsis, measuring with DT_CALCRECT).
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <vector>

#include "framework/dc.h"
#include "framework/qt_dc.h"

namespace zentrix::framework {

namespace {

const QString kEllipsis = QStringLiteral("...");
constexpr int kTabStopCharacters = 8;

QString toQString(WideStringView text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

/// One line as DrawText shows it.
struct TextLine {
    QString text;
    int underline = -1;  ///< index of the mnemonic character, -1 for none
};

// "&x" underlines x, "&&" is one "&", a lone "&" at the end is dropped.
TextLine stripPrefixes(const QString& text, bool hideUnderline) {
    TextLine line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            line.text += text[i];
            continue;
        }
        if (i + 1 >= text.size()) {
            break;
        }
        ++i;
        if (text[i] != u'&' && !hideUnderline) {
            line.underline = static_cast<int>(line.text.size());
        }
        line.text += text[i];
    }
    return line;
}

QString expandTabs(const QString& text, bool expand) {
    if (!text.contains(u'\t')) {
        return text;
    }
    if (!expand) {
        return QString(text).replace(u'\t', u' ');
    }
    QString result;
    for (QChar c : text) {
        if (c == u'\t') {
            result += QString(kTabStopCharacters - result.size() % kTabStopCharacters, u' ');
        } else {
            result += c;
        }
    }
    return result;
}

// Greedy word wrapping at spaces; a word wider than the line stays whole on its own line.
std::vector<TextLine> wrap(const TextLine& paragraph, int width, const QFontMetrics& metrics) {
    std::vector<TextLine> lines;
    const QString& text = paragraph.text;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = -1;  // end of the words accepted for this line
        qsizetype scan = start;
        while (true) {
            qsizetype wordEnd = text.indexOf(u' ', scan);
            if (wordEnd < 0) {
                wordEnd = text.size();
            }
            if (end >= 0 && metrics.horizontalAdvance(text.mid(start, wordEnd - start)) > width) {
                break;
            }
            end = wordEnd;
            if (wordEnd >= text.size()) {
                break;
            }
            scan = wordEnd + 1;
        }
        TextLine line;
        line.text = text.mid(start, end - start);
        if (paragraph.underline >= start && paragraph.underline < end) {
            line.underline = static_cast<int>(paragraph.underline - start);
        }
        lines.push_back(line);
        start = end;
        while (start < text.size() && text[start] == u' ') {
            ++start;
        }
    }
    if (lines.empty()) {
        lines.push_back(TextLine{});
    }
    return lines;
}

// Cuts the line so that it and "..." fit in `width`.
void endEllipsis(TextLine& line, int width, const QFontMetrics& metrics) {
    if (metrics.horizontalAdvance(line.text) <= width) {
        return;
    }
    qsizetype keep = line.text.size();
    while (keep > 0 && metrics.horizontalAdvance(line.text.left(keep) + kEllipsis) > width) {
        --keep;
    }
    line.text = line.text.left(keep) + kEllipsis;
    if (line.underline >= keep) {
        line.underline = -1;
    }
}

std::vector<TextLine> layout(WideStringView source, UINT format, int width,
                             const QFontMetrics& metrics) {
    QString text = toQString(source);
    std::vector<TextLine> lines;
    if ((format & DT_SINGLELINE) != 0) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\r', u' ').replace(u'\n', u' ');
    } else {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    }
    for (const QString& paragraph : text.split(u'\n')) {
        const QString expanded = expandTabs(paragraph, (format & DT_EXPANDTABS) != 0);
        const TextLine stripped = (format & DT_NOPREFIX) != 0
                                      ? TextLine{expanded, -1}
                                      : stripPrefixes(expanded, (format & DT_HIDEPREFIX) != 0);
        if ((format & DT_WORDBREAK) != 0 && (format & DT_SINGLELINE) == 0) {
            for (TextLine& line : wrap(stripped, width, metrics)) {
                lines.push_back(std::move(line));
            }
        } else {
            lines.push_back(stripped);
        }
    }
    if ((format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0) {
        for (TextLine& line : lines) {
            endEllipsis(line, width, metrics);
        }
    }
    return lines;
}

}  // namespace

QFont CDC::Impl::drawingFont() const {
    QFont drawing = font().font;
    drawing.setStyleStrategy(QFont::NoAntialias);
    return drawing;
}

namespace {

// Draws `text` with its cell's top left at (x, top): the background first when opaque, then the
// glyphs, then the mnemonic underline.
void drawLine(CDC::Impl& d, int x, int top, const TextLine& line, const QFont& font,
              const QFontMetrics& metrics) {
    QPainter& painter = *d.painter;
    const int width = metrics.horizontalAdvance(line.text);
    const int height = metrics.ascent() + metrics.descent();
    if (d.state.bkMode == OPAQUE && width > 0) {
        d.fill(QRect(x, top, width, height), d.state.bkColor, QPainter::CompositionMode_Source);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(toQColor(d.state.textColor));
    painter.drawText(QPoint(x, top + metrics.ascent()), line.text);
    if (line.underline >= 0 && line.underline < line.text.size()) {
        const int left = x + metrics.horizontalAdvance(line.text.left(line.underline));
        const int length = metrics.horizontalAdvance(line.text.mid(line.underline, 1));
        d.fill(QRect(left, top + metrics.ascent() + 1, length, 1), d.state.textColor,
               QPainter::CompositionMode_Source);
    }
}

}  // namespace

bool CDC::TextOut(int x, int y, WideStringView text) {
    return ExtTextOut(x, y, 0, nullptr, text);
}

bool CDC::ExtTextOut(int x, int y, UINT options, const CRect* rect, WideStringView text) {
    if (impl_->painter == nullptr) {
        return true;
    }
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    const QFont font = impl_->drawingFont();
    const QFontMetrics metrics(font);
    TextLine line{toQString(text), -1};
    const int width = metrics.horizontalAdvance(line.text);
    const UINT align = impl_->state.textAlign;
    if ((align & TA_CENTER) == TA_CENTER) {
        x -= width / 2;
    } else if ((align & TA_RIGHT) != 0) {
        x -= width;
    }
    if ((align & TA_BASELINE) == TA_BASELINE) {
        y -= metrics.ascent();
    } else if ((align & TA_BOTTOM) != 0) {
        y -= metrics.ascent() + metrics.descent();
    }
    QPainter& painter = *impl_->painter;
    painter.save();
    if (rect != nullptr) {
        const QRect box = pixelRect(rect->left, rect->top, rect->right, rect->bottom);
        if ((options & ETO_OPAQUE) != 0) {
            impl_->fill(box, impl_->state.bkColor, QPainter::CompositionMode_Source);
        }
        if ((options & ETO_CLIPPED) != 0) {
            painter.setClipRect(box, Qt::IntersectClip);
        }
    }
    if (!line.text.isEmpty()) {
        drawLine(*impl_, x, y, line, font, metrics);
    }
    painter.restore();
    return true;
}

int CDC::DrawText(WideStringView text, CRect* target, UINT format) {
    if (target == nullptr) {
        return 0;
    }
    CRect clampedRect = clampRect(*target);
    CRect* rect = &clampedRect;
    const QFont font = impl_->drawingFont();
    const QFontMetrics metrics(font);
    const int lineHeight =
        metrics.ascent() + metrics.descent() +
        ((format & DT_EXTERNALLEADING) != 0 ? std::max(metrics.leading(), 0) : 0);
    const std::vector<TextLine> lines = layout(text, format, rect->Width(), metrics);
    const int textHeight = lineHeight * static_cast<int>(lines.size());

    if ((format & DT_CALCRECT) != 0) {
        int widest = 0;
        for (const TextLine& line : lines) {
            widest = std::max(widest, metrics.horizontalAdvance(line.text));
        }
        target->left = rect->left;
        target->top = rect->top;
        target->right = clampCoordinate(static_cast<long long>(rect->left) + widest);
        target->bottom = clampCoordinate(static_cast<long long>(rect->top) + textHeight);
        return textHeight;
    }

    int top = rect->top;
    if ((format & DT_SINGLELINE) != 0) {
        if ((format & DT_BOTTOM) != 0) {
            top = rect->bottom - textHeight;
        } else if ((format & DT_VCENTER) != 0) {
            top = rect->top + (rect->Height() - textHeight) / 2;
        }
    }
    if (impl_->painter != nullptr) {
        QPainter& painter = *impl_->painter;
        painter.save();
        if ((format & DT_NOCLIP) == 0) {
            painter.setClipRect(QRect(rect->left, rect->top, rect->Width(), rect->Height()),
                                Qt::IntersectClip);
        }
        int y = top;
        for (const TextLine& line : lines) {
            const int width = metrics.horizontalAdvance(line.text);
            int x = rect->left;
            if ((format & DT_CENTER) != 0) {
                x = rect->left + (rect->Width() - width) / 2;
            } else if ((format & DT_RIGHT) != 0) {
                x = rect->right - width;
            }
            if (!line.text.isEmpty()) {
                drawLine(*impl_, x, y, line, font, metrics);
            }
            y += lineHeight;
        }
        painter.restore();
    }
    return (format & DT_SINGLELINE) != 0 && (format & (DT_VCENTER | DT_BOTTOM)) != 0
               ? top - rect->top + textHeight
               : textHeight;
}

CSize CDC::GetTextExtent(WideStringView text) const {
    const QFontMetrics metrics(impl_->drawingFont());
    return {metrics.horizontalAdvance(toQString(text)), metrics.ascent() + metrics.descent()};
}

bool CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    if (tm == nullptr) {
        return false;
    }
    const QFont font = impl_->drawingFont();
    const QFontMetrics metrics(font);
    const LOGFONT& requested = impl_->font().logFont;
    *tm = TEXTMETRIC{};
    tm->tmAscent = metrics.ascent();
    tm->tmDescent = metrics.descent();
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    tm->tmInternalLeading = std::max(0, tm->tmHeight - font.pixelSize());
    tm->tmExternalLeading = std::max(0, metrics.leading());
    tm->tmAveCharWidth = metrics.averageCharWidth();
    tm->tmMaxCharWidth = metrics.maxWidth();
    tm->tmWeight = requested.lfWeight <= 0 ? FW_NORMAL : requested.lfWeight;
    tm->tmItalic = requested.lfItalic;
    tm->tmUnderlined = requested.lfUnderline;
    tm->tmStruckOut = requested.lfStrikeOut;
    tm->tmPitchAndFamily = requested.lfPitchAndFamily;
    return true;
}

}  // namespace zentrix::framework
