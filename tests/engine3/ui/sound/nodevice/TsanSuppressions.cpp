#include "../TsanSuppressions.inc"
