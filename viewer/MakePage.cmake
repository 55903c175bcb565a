# Puts the page together as one file: the style and the page's script inline, and the worker's
# script (the module, with its WebAssembly inside, and the worker's own code) as a text the page
# starts its worker from. Run as cmake -DSOURCE= -DMODULE= -DPAGE_VERSION= -DOUTPUT= -P MakePage.cmake.
file(READ ${SOURCE}/page.html page)
file(READ ${SOURCE}/page.css style)
file(READ ${SOURCE}/page.js script)
file(READ ${SOURCE}/worker.js worker)
file(READ ${MODULE} module)

# The worker's text sits in a script element that is not run; it must not end that element.
string(FIND "${module}${worker}" "</script" closing)
if(NOT closing EQUAL -1)
    message(FATAL_ERROR "the worker's script holds </script and cannot be put inline")
endif()

string(REPLACE "@VERSION@" "${PAGE_VERSION}" page "${page}")
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@WORKER@" "${module}\n${worker}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUTPUT}.part "${page}")
file(RENAME ${OUTPUT}.part ${OUTPUT})
