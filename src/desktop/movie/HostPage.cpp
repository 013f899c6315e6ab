// The host page the Flash player runs in: one player element at a time, driven by the host through glw.*
// calls and reporting back through console messages that start with a per-page token. Only the page's
// own scripts (carrying its nonce) and the player's files run: a movie's getURL("javascript:...") is
// refused by the page's content security policy.
#include "MovieEngine.h"

namespace glw::qt::movie {

namespace {

// The page fills its view; the player fills the page. Every message from the page is one console line:
// the token, then a JSON object with a "kind".
constexpr const char* kHostPage = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="script-src 'nonce-@NONCE@' file: 'wasm-unsafe-eval'; object-src 'none'; base-uri 'none'">
<style>
html, body { margin: 0; padding: 0; width: 100%; height: 100%; overflow: hidden; background: transparent; }
#stage { position: absolute; left: 0; top: 0; right: 0; bottom: 0; }
#stage > * { display: block; width: 100%; height: 100%; }
</style>
<script nonce="@NONCE@">
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = { polyfills: false, publicPath: "./" };
// A page that only draws posters plays no sound: without an audio context the player keeps its sound
// to itself, and each new movie starts faster.
if (@SILENT@) {
  window.AudioContext = undefined;
  window.webkitAudioContext = undefined;
}
</script>
<script nonce="@NONCE@" src="ruffle.js"></script>
</head><body><div id="stage"></div>
<script nonce="@NONCE@">
(() => {
  "use strict";
  const token = "@TOKEN@";
  const post = (message) => console.log(token + JSON.stringify(message));

  // A movie's getURL to another window arrives here; it is reported and nothing opens.
  window.open = (url, target) => {
    post({ kind: "url", url: String(url ?? ""), target: String(target ?? "") });
    return null;
  };

  // Ruffle's own boxes (errors, saves, volume, context menu) never show: a movie that cannot play
  // leaves the control blank, as the stand-alone player does.
  const hiddenUi = "#panic, #message-overlay, #modal-area, #splash-screen, #unmute-overlay, #context-menu-overlay," +
    " #hardware-acceleration-modal, #clipboard-modal, #save-manager, #volume-controls-modal, #video-modal," +
    " #virtual-keyboard, #play-button { display: none !important; }";

  // When the movie's first frame is drawn: the player draws only after it has run a frame (or changed
  // size), always from an animation frame callback. Drawing calls mark the canvas drawn; a hook that runs
  // after each callback sees it, so the frame is caught before the player can run another.
  let drawn = false;
  for (const name of ["fillRect", "clearRect", "fill", "drawImage", "setTransform", "resetTransform"]) {
    const original = CanvasRenderingContext2D.prototype[name];
    CanvasRenderingContext2D.prototype[name] = function (...args) {
      drawn = true;
      return original.apply(this, args);
    };
  }
  let afterCallback = null;
  const nativeAnimationFrame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => nativeAnimationFrame((time) => {
    try {
      callback(time);
    } finally {
      if (afterCallback)
        afterCallback();
    }
  });

  const stage = document.getElementById("stage");
  let player = null;    // the player element, kept from movie to movie (building one takes a while)
  let generation = 0;   // the newest load
  let playing = 0;      // the load whose movie the player was last given
  let onParsed = null;  // what that load does once its movie is parsed
  let held = false;     // the host wants the player stopped (suspend) once its first frame is drawn

  function drop() {
    if (player) {
      player.remove();
      player = null;
    }
    onParsed = null;
  }

  function canvasOf(element) {
    return element && element.shadowRoot ? element.shadowRoot.querySelector("canvas") : null;
  }

  function ensurePlayer() {
    if (player)
      return player;
    const element = window.RufflePlayer.newest().createPlayer();
    stage.appendChild(element);
    const root = element.shadowRoot;
    if (root) {
      const style = document.createElement("style");
      style.textContent = hiddenUi;
      root.appendChild(style);
      // The player shows an error box over a movie it cannot play: that load shows nothing instead, and
      // the next movie gets a new player.
      const observer = new MutationObserver(() => {
        if (player !== element || !root.querySelector("#panic, #message-overlay"))
          return;
        observer.disconnect();
        drop();
        post({ kind: "error", gen: playing, message: "the player could not show the movie" });
      });
      observer.observe(root, { childList: true, subtree: true });
    }
    element.ruffle().addFSCommandHandler((command, args) => {
      if (player === element)
        post({ kind: "fscommand", gen: playing, command: String(command ?? ""), args: String(args ?? "") });
    });
    element.addEventListener("loadeddata", () => {
      if (player === element && onParsed)
        onParsed();
    });
    player = element;
    return element;
  }

  // Where the time of a load goes, sent with its first frame when the host logs (GLW_MOVIE_LOG).
  function stamp(timing, name) {
    if (timing)
      timing.push(name + " " + Math.round(performance.now() - timing.start));
  }

  window.glw = {
    // order: gen, url ("" for none), data (the movie's bytes in base64, or none to read them from url),
    // parameters ("a=1&b=2"), scale, background ("#RRGGBB" or ""),
    // transparent, poster (stop on the first frame and send it as a PNG data URL), suspended, width and
    // height (the player's size, else the page's), frameRate, debug.
    load(order) {
      const gen = order.gen;
      generation = gen;
      held = !!order.suspended;
      afterCallback = null;
      onParsed = null;
      const timing = order.debug ? Object.assign([], { start: performance.now() }) : null;
      // The movie shown so far stops at once: nothing of it (a script command) mixes with the next one.
      if (player)
        player.ruffle().suspend();
      document.body.style.background = order.transparent ? "transparent" : (order.background || "transparent");
      stage.style.width = order.width ? order.width + "px" : "";
      stage.style.height = order.height ? order.height + "px" : "";
      stage.style.right = order.width ? "auto" : "";
      stage.style.bottom = order.height ? "auto" : "";
      if (!order.url) {
        drop();
        post({ kind: "empty", gen });
        return;
      }
      const config = {
        parameters: order.parameters || "",
        scale: order.scale,
        forceScale: true,
        wmode: order.transparent ? "transparent" : "window",
        autoplay: "on",
        splashScreen: false,
        unmuteOverlay: "hidden",
        contextMenu: "off",
        menu: false,
        letterbox: "off",
        preferredRenderer: "canvas",
        allowScriptAccess: true,
        allowNetworking: "all",
        openUrlMode: "allow",
        allowFullscreen: false,
        warnOnUnsupportedContent: false,
        showSwfDownload: false,
        backgroundExecutionMode: "none",
        logLevel: "error",
        // Relative loads of the movie (loadMovie, loadVariables) start from its folder.
        base: order.url.substring(0, order.url.lastIndexOf("/") + 1),
        swfFileName: decodeURIComponent(order.url.substring(order.url.lastIndexOf("/") + 1)),
      };
      if (order.background && !order.transparent)
        config.backgroundColor = order.background;
      if (order.frameRate)
        config.frameRate = order.frameRate;

      const firstFrame = (api, element) => {
        afterCallback = null;
        if (gen !== generation || player !== element)
          return;
        const message = { kind: "frame", gen };
        if (order.poster || held)
          api.suspend();
        if (order.poster) {
          const canvas = canvasOf(element);
          message.image = canvas ? canvas.toDataURL("image/png") : "";
        }
        stamp(timing, "frame");
        if (timing)
          message.timing = timing.join(", ");
        post(message);
      };
      const start = (bytes) => {
        if (gen !== generation)
          return;
        stamp(timing, "read");
        const element = ensurePlayer();
        const api = element.ruffle();
        const container = element.shadowRoot && element.shadowRoot.querySelector("#container");
        if (container)
          container.style.backgroundColor = "";
        onParsed = () => {
          stamp(timing, "parsed");
          // The movie is parsed. Its first frame runs a frame's time after it starts, and is drawn in
          // that callback; when nothing is drawn for two frames' time it was drawn before this event.
          drawn = false;
          const started = performance.now();
          const rate = order.frameRate || (api.metadata && api.metadata.frameRate) || 12;
          const quiet = 2000 / Math.max(1, rate) + 20;
          let callbacks = 0;
          afterCallback = () => {
            ++callbacks;
            if (drawn || (callbacks >= 3 && performance.now() - started >= quiet))
              firstFrame(api, element);
          };
        };
        playing = gen;
        config.data = bytes;
        return api.load(config);
      };
      // The host hands over the movie's bytes (base64); the player's own streaming of a local file takes
      // over a second where this takes milliseconds. A movie too large to hand over is read here.
      const bytes = order.data
        ? Promise.resolve(Uint8Array.from(atob(order.data), (c) => c.charCodeAt(0)).buffer)
        : fetch(order.url).then((response) => {
            if (!response.ok)
              throw new Error("cannot read " + order.url);
            return response.arrayBuffer();
          });
      bytes
        .then(start)
        .catch((e) => {
          if (gen !== generation)
            return;
          drop();
          post({ kind: "error", gen, message: String(e) });
        });
    },
    // Lets the player go (its clock wakes the page at every display frame even when stopped).
    release() {
      generation = -1;
      drop();
    },
    suspend() {
      held = true;
      if (player)
        player.ruffle().suspend();
    },
    resume() {
      held = false;
      if (player)
        player.ruffle().resume();
    },
  };

  post({ kind: "ready" });
})();
</script>
</body></html>
)html";

} // namespace

QString hostPageHtml(const QString& token, const QString& nonce, bool silent) {
    return QString::fromUtf8(kHostPage)
        .replace(QStringLiteral("@TOKEN@"), token)
        .replace(QStringLiteral("@NONCE@"), nonce)
        .replace(QStringLiteral("@SILENT@"), silent ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace glw::qt::movie
