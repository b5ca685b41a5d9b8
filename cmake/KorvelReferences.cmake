# GMP, MPFR and MPC, the references of the tests and benchmarks, as imported
# targets PkgConfig::GMP, PkgConfig::MPFR and PkgConfig::MPC.
include_guard(GLOBAL)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GMP REQUIRED IMPORTED_TARGET GLOBAL gmp)
pkg_check_modules(MPFR REQUIRED IMPORTED_TARGET GLOBAL mpfr)
pkg_check_modules(MPC QUIET IMPORTED_TARGET GLOBAL mpc)
if(NOT TARGET PkgConfig::MPC)
  # Debian's libmpc-dev has no mpc.pc: the same target from the library and its header.
  find_library(MPC_LIBRARY mpc REQUIRED)
  find_path(MPC_INCLUDE_DIR mpc.h REQUIRED)
  add_library(PkgConfig::MPC INTERFACE IMPORTED GLOBAL)
  target_include_directories(PkgConfig::MPC INTERFACE ${MPC_INCLUDE_DIR})
  target_link_libraries(PkgConfig::MPC INTERFACE ${MPC_LIBRARY} PkgConfig::MPFR)
endif()
