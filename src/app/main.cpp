#include "app/main_flow.h"

int main()
{
    return SettingsMain();
}
