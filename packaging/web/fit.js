// Both pages: the picture at the largest whole multiple of 640 x 480 that
// fits the window (at least 1), so every picture pixel stays square and sharp.
var canvas = document.getElementById('canvas');
var statusLine = document.getElementById('status');
function fitCanvas() {
  var room = statusLine.offsetHeight + 12;
  var scale = Math.max(1, Math.floor(Math.min(window.innerWidth / 640, (window.innerHeight - room) / 480)));
  canvas.style.width = (640 * scale) + 'px';
  canvas.style.height = (480 * scale) + 'px';
}
window.addEventListener('resize', fitCanvas);
fitCanvas();
// SDL sets the canvas's size in CSS pixels when the window opens; the page's own scale wins.
new MutationObserver(function () {
  if (canvas.style.width !== canvas.dataset.fitted) { fitCanvas(); canvas.dataset.fitted = canvas.style.width; }
}).observe(canvas, { attributes: true, attributeFilter: ['style'] });
