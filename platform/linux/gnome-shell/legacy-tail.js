
function init() {
    return new VelkWindows();
}
