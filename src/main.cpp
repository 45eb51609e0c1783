#include "app/CorkwalleryApp.h"

int main(int argc, char** argv) {
    return corkwallery::CorkwalleryApp::main(argc, argv);
}
