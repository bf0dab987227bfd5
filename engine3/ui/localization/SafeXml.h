#pragma once
// The XML loading helpers live in the engine core, shared by every reader.
#include "engine3/core/SafeXml.h"
