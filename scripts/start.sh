#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor with a simulated
# device: press "Start" and watch live traffic; "Ende" or closing the window
# also stops the simulator. The demo's program folder is build/demo, with
# its own settings file.
#
#   bash scripts/start.sh           the demo, with the simulated device
#   bash scripts/start.sh --device  the monitor alone, for real hardware
#                                   (settings in build/app/fennox.ini)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo-lib.sh

build_monitor
if [ "${1:-}" = "--device" ]; then
    exec build/app/fennox
fi

start_simulator --seed "${FENNOX_SIM_SEED:-1}"
trap stop_simulator EXIT
prepare_demo_folder build/demo "$SIM_PTY"
echo "Simulated device on $SIM_PTY (Com5). Press \"Start\" in the window."
build/demo/fennox
