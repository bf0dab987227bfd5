#include "TsanSuppressions.inc"
