// KALVORDEN: service-load design of the reinforced-concrete deck slab of a
// highway bridge. Without arguments everything comes from the dialogue; the
// command line can give the values and ask for further outputs.
//
// This program carries neither the PDF nor the web page: a run that asks for
// one is handed to kalvorden-full (driver/program_parts.h says why).

#include "driver/run_program.h"

int main(int argc, char** argv) {
  return kalvorden::KalvordenMain(argc, argv, kalvorden::ReadLocalClock, {});
}
