#include "demo/DataFolder.h"
#include "demo/Demo.h"

int main() {
    EnterDataFolder();
    return WinMain(nullptr, nullptr, nullptr, 0);
}
