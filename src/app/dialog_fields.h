// Reading numbers from a dialog's edit fields, refusing what is out of
// range with a message and the field selected for correction.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;

namespace orvane::app {

/// The field's whole number when it lies in min..max; otherwise tells the
/// user, puts the focus back on the field and gives nothing.
std::optional<long long> ReadIntField(QLineEdit* edit, long long min, long long max);
/// The field's number when it lies in min..max; otherwise as ReadIntField.
std::optional<double> ReadNumberField(QLineEdit* edit, double min, double max);
/// The field's number, whatever its value; nothing (after telling the user)
/// when the text is not a number.
std::optional<double> ReadAnyNumberField(QLineEdit* edit);

} // namespace orvane::app
