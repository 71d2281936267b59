// Reading and refusing numbers in dialogs.
#include "app/dialog_fields.h"

#include "app/varo_app.h"

#include <QLineEdit>

#include <cmath>

namespace orvane::app {
namespace {

void refuse(QLineEdit* edit, const QString& message)
{
    CVaroApp::instance()->MessageBox(message, MessageButtons::Ok);
    edit->setFocus();
    edit->selectAll();
}

} // namespace

std::optional<long long> ReadIntField(QLineEdit* edit, long long min, long long max)
{
    bool ok = false;
    const long long value = edit->text().trimmed().toLongLong(&ok);
    if (ok && value >= min && value <= max)
        return value;
    refuse(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max));
    return std::nullopt;
}

std::optional<double> ReadNumberField(QLineEdit* edit, double min, double max)
{
    bool ok = false;
    const double value = edit->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(value) && value >= min && value <= max)
        return value;
    refuse(edit, QStringLiteral("Please enter a number between %1 and %2.").arg(min).arg(max));
    return std::nullopt;
}

std::optional<double> ReadAnyNumberField(QLineEdit* edit)
{
    bool ok = false;
    const double value = edit->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(value))
        return value;
    refuse(edit, QStringLiteral("Please enter a number."));
    return std::nullopt;
}

} // namespace orvane::app
