# Fails when a test ROM's code holds a BLX, which the handheld's processor
# (ARMv4T) does not have: the linker turns direct calls between ARM and Thumb
# code into BLX. Run with -DOBJDUMP=... -DELF=...
execute_process(COMMAND ${OBJDUMP} -d --triple=armv5te-none-eabi ${ELF}
  OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not disassemble ${ELF}")
endif()
string(REGEX MATCHALL "[^\n]*\tblx\t[^\n]*" hits "${listing}")
if(hits)
  string(REPLACE ";" "\n" hits "${hits}")
  message(FATAL_ERROR "${ELF} calls with BLX, which the ARM7TDMI lacks; call across ARM and "
    "Thumb code through a function pointer:\n${hits}")
endif()
