#include "settings/conffile.h"

#include "base/rounding.h"
#include "base/textlines.h"

#include <QDir>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cmath>
#include <limits>

namespace {

QStringList lines(const QByteArray &bytes)
{
    QStringList result;
    for (const QByteArrayView line : textLines(bytes)) {
        QStringDecoder decode(QStringConverter::System);
        result.append(decode(line));
    }
    return result;
}

std::optional<double> toNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

const QStringList &sizeEntries()
{
    static const QStringList entries = {
        QStringLiteral("100%"), QStringLiteral("90%"), QStringLiteral("80%"), QStringLiteral("70%"),
        QStringLiteral("60%"),  QStringLiteral("50%"), QStringLiteral("40%"), QStringLiteral("30%"),
        QStringLiteral("20%"),  QStringLiteral("10%")};
    return entries;
}

std::optional<int> toInteger16(const QString &text)
{
    const std::optional<double> value = toNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::optional<bool> toBoolean(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> value = toNumber(word);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<int> percentvalue(const QString &text)
{
    const qsizetype percent = text.indexOf(QLatin1Char('%'));
    if (percent < 0)
        return std::nullopt;
    return toInteger16(text.left(percent));
}

Settings readConf(const QByteArray &bytes, const QString &defaultChime,
                  const std::function<bool(const QString &)> &exists)
{
    const QStringList l = lines(bytes);
    // A missing or empty line, or one that does not convert, leaves the default.
    const auto line = [&l](int number) -> std::optional<QString> {
        if (number > l.size() || l.at(number - 1).isEmpty())
            return std::nullopt;
        return l.at(number - 1);
    };

    Settings settings;
    settings.chimeFile = defaultChime;
    if (const auto text = line(1))
        settings.showAtStart = toBoolean(*text).value_or(settings.showAtStart);
    if (l.size() >= 2) {
        const QString path = l.at(1).trimmed();
        if (!path.isEmpty() && exists(path))
            settings.chimeFile = path;
    }
    if (const auto text = line(3)) {
        const std::optional<int> value = toInteger16(*text);
        if (value == 0 || value == 1)
            settings.chimesOn = *value == 1;
    }
    if (const auto text = line(4)) {
        if (const std::optional<int> value = toInteger16(*text))
            settings.twentyFourHour = *value != 0;
    }
    if (const auto text = line(5)) {
        const std::optional<int> value = toInteger16(*text);
        if (value && *value >= 0 && *value < sizeEntries().size())
            settings.sizeIndex = *value;
    }
    return settings;
}

QByteArray formatConf(const Settings &settings)
{
    const QString text = (settings.showAtStart ? QStringLiteral("True") : QStringLiteral("False")) +
                         QStringLiteral("\r\n") + settings.chimeFile + QStringLiteral("\r\n") +
                         QString::number(settings.chimesOn ? 1 : 0) + QStringLiteral("\r\n") +
                         QString::number(settings.twentyFourHour ? 1 : 0) + QStringLiteral("\r\n") +
                         QString::number(settings.sizeIndex) + QStringLiteral("\r\n");
    QStringEncoder encode(QStringConverter::System);
    return encode(text);
}

int sizePercent(int sizeIndex)
{
    return percentvalue(sizeEntries().value(sizeIndex)).value_or(100);
}

QString confLoadMessage(const QString &path, const QString &error)
{
    return QStringLiteral("The settings file %1 could not be read (%2), so the settings in "
                          "effect are the defaults.\n"
                          "It is left as it is: settings cannot be saved until it can be read.")
        .arg(QDir::toNativeSeparators(path), error);
}
