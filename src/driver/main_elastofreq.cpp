// elastofreq: the standard solver (row limit 602).
#include <iostream>

int main() {
    return 0;
}
