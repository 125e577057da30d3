# Sourced by the batch tests: slow_group_deck prints the input of a 20 x 20
# pile group with interaction over 1 024 frequencies (some seconds even on a
# fast machine), for the tests that stop a run in flight (tests/support/slow_group.hpp
# is the same deck for the C++ tests and the benchmark).
slow_group_deck() {
  printf 'NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=60.0,60.0\n'
  printf 'MASS=5000,1E6,1E6,2E6,0,0,0\nLAYERS=3\nFIXED=400\n'
  for i in $(seq 0 399); do printf '%d,%d,%d\n' $((i + 1)) $(( (i % 20) * 3 - 28 )) $(( (i / 20) * 3 - 28 )); done
  printf 'CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\n'
  printf 'INTERACTION\nSOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\n'
  printf 'BELOW=900,125,0.35,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n2048,2,2\n1000,1000,1000,0,0,0\nRUN\n'
}
