// Zentrix: the field utility of the handheld's GNSS receiver.
#include "app/zentrix_app.h"

int main(int argc, char** argv) {
    return zentrix::framework::runApplication(
        argc, argv, [] { return std::make_unique<zentrix::app::CZentrixApp>(); });
}
