#include "ui/gribjoin_app.h"

// The one application object; AfxWinMain finds it as the current application.
CGribJoinApp theApp;

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
