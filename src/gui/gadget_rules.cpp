#include "gui/gadget_rules.h"

void ApplyGadgetRules() {}
