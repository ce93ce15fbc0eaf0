# Checks check_no_blx.cmake: a direct call from Thumb code into ARM code,
# which ld.lld turns into a BLX, must be refused; the same call through a
# function pointer must pass. Run with -DCLANG= -DLLD= -DOBJDUMP= -DWORK=
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/direct.c
  "__attribute__((target(\"arm\"), noinline)) int in_arm(int x) { return x * 3; }\n"
  "int _start(void) { return in_arm(2); }\n")
file(WRITE ${WORK}/pointer.c
  "__attribute__((target(\"arm\"), noinline)) int in_arm(int x) { return x * 3; }\n"
  "int _start(void) { int (*volatile f)(int) = in_arm; return f(2); }\n")
foreach(case direct pointer)
  execute_process(
    COMMAND ${CLANG} --target=armv4t-none-eabi -mcpu=arm7tdmi -mthumb -O2 -ffreestanding -nostdlib
            -c ${WORK}/${case}.c -o ${WORK}/${case}.o
    RESULT_VARIABLE compiled)
  execute_process(COMMAND ${LLD} -Ttext=0x08000000 -o ${WORK}/${case}.elf ${WORK}/${case}.o
    RESULT_VARIABLE linked ERROR_QUIET)
  if(NOT compiled EQUAL 0 OR NOT linked EQUAL 0)
    message(FATAL_ERROR "${case}.c did not build")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DELF=${WORK}/${case}.elf
            -P ${CMAKE_CURRENT_LIST_DIR}/check_no_blx.cmake
    RESULT_VARIABLE checked OUTPUT_QUIET ERROR_QUIET)
  set(${case}_result ${checked})
endforeach()
if(direct_result EQUAL 0)
  message(FATAL_ERROR "the BLX of a direct Thumb-to-ARM call went unnoticed")
endif()
if(NOT pointer_result EQUAL 0)
  message(FATAL_ERROR "a call through a function pointer was refused")
endif()
