# cmake -DSOURCE=docs/help -DWORK=build/help -DOUTPUT=build/HelpMe.chm -DCHMCMD=chmcmd -DICONV=iconv -P compile-help.cmake
# Converts the help sources to code page 936 in WORK and compiles HelpMe.hhp there.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB files ${SOURCE}/*)
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  if(name MATCHES "\\.(html|hhc|hhk|hhp)$")
    file(READ ${f} text)
    string(REPLACE "charset=utf-8" "charset=gb2312" text "${text}")
    file(WRITE ${WORK}/${name}.utf8 "${text}")
    execute_process(COMMAND ${ICONV} -f UTF-8 -t CP936 ${WORK}/${name}.utf8
                    OUTPUT_FILE ${WORK}/${name} RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "docs/help/${name} has text outside code page 936: ${err}")
    endif()
    file(REMOVE ${WORK}/${name}.utf8)
  elseif(name MATCHES "\\.(css|png|gif|jpg)$")
    file(COPY ${f} DESTINATION ${WORK})
  endif()
endforeach()
execute_process(COMMAND ${CHMCMD} --verbosity 1 HelpMe.hhp WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
# chmcmd reports missing files and broken links as errors or warnings but still writes the file.
if(NOT rc EQUAL 0 OR out MATCHES "(Error|Warning|not found)" OR NOT EXISTS ${WORK}/HelpMe.chm)
  message(FATAL_ERROR "chmcmd failed on ${WORK}/HelpMe.hhp:\n${out}")
endif()
file(COPY_FILE ${WORK}/HelpMe.chm ${OUTPUT})
