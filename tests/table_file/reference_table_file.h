#pragma once
// The earlier, plain table file reader and writer, kept as a reference for
// the differential tests: same contract as LoadTableFile and SaveTableFile.

#include <string>
#include <string_view>

#include "platform/dataset/client_dataset.h"

namespace reference {

bool LoadTableFile(const std::string& path, TClientDataSet& dataset);
bool SaveTableFile(const std::string& path, char quote, TDataSet& dataset);
// The earlier text-to-number conversion, without its fast paths.
bool TryStrToFloatPlain(std::string_view text, double& value, char decimalMark);

// The earlier number text, without its fast path.
std::string FloatTextPlain(double value, char decimalMark);

}  // namespace reference
