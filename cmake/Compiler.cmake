# Flags shared by every target. Results must not depend on build flags or on whether the
# CPU has FMA, so contraction is off and fast-math is never used.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_compile_options(-O2)
endif()

if(WIN32)
  # Windows XP-era names are not used; Windows 7 is the oldest system we address.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# Address and undefined-behaviour checks: the sanitize configuration, and the fuzz harnesses
# unless they only measure coverage.
if(TESSIVANE_SANITIZE OR (TESSIVANE_FUZZ AND NOT TESSIVANE_FUZZ_COVERAGE))
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TESSIVANE_THREAD_SANITIZE)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
endif()

if(TESSIVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz harnesses need clang (libFuzzer)")
  endif()
  # Every library is instrumented for libFuzzer's coverage feedback; only the harnesses link
  # libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
  if(TESSIVANE_FUZZ_COVERAGE)
    # For measuring what the corpora reach (llvm-cov), not for finding faults.
    add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
    add_link_options(-fprofile-instr-generate)
  endif()
endif()
