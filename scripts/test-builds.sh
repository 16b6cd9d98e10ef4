# What scripts/test.sh and scripts/soak.sh share: the builds the tests run
# in and the virtual display of the window tests.  Sourced, not run.

presets=(default asan)
jobs=$(nproc)

# Every window test case is a process of its own, so the display sees one
# short client after another.  An X server resets whenever its last client
# leaves and drops the connections that arrive while it does; a test
# starting then cannot open the display.  -noreset keeps the server up.
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset")
