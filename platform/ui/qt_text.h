#pragma once
// The one place where table text (Windows-1252 bytes) meets Qt's Unicode text.

#include <QString>

#include "platform/core/ansi.h"

QString AnsiToQString(const AnsiString& ansi);
// A character without a Windows-1252 byte becomes "?".
AnsiString QStringToAnsi(const QString& text);
