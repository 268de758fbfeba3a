// Enables and disables the controls whose settings mean nothing in the current state.
#pragma once

void ApplyGadgetRules();
