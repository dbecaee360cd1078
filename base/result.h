#pragma once

#include <QString>

#include <utility>

// Whether something that can fail was done, and if not, why.
class [[nodiscard]] Result final {
public:
    static Result success() { return Result(); }
    static Result failure(QString reason) { return Result(std::move(reason)); }

    bool ok() const { return m_error.isEmpty(); }
    // Why it failed; empty on success.
    const QString &error() const { return m_error; }

private:
    Result() = default;
    // An empty reason would read as success.
    explicit Result(QString reason)
        : m_error(reason.isEmpty() ? QStringLiteral("unknown error") : std::move(reason))
    {}

    QString m_error;
};
