#include "app/application_app.h"

namespace {

cpe::CApplicationApp theApp;

}  // namespace

int main(int argc, char** argv) { return theApp.Run(argc, argv); }
