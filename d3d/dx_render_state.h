// The render-state cache: the device states as last set, so that they can
// be sent again after a reset and so that setting an unchanged value costs
// no device call; a stack of saved states; fog, depth bias and lights.
// Win32 only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "d3d/dx3d_device_base.h"
#include "d3d/linked_list.h"

class CDXVertexShader;

// Names shared by the cache and its users.
class CDXRenderStateTypedefs {
 public:
  // Bits of the state word (set = on).
  enum StateBit : DWORD {
    kLighting = 1u << 0,
    kZEnable = 1u << 1,
    kZWriteEnable = 1u << 2,
    kAlphaTestEnable = 1u << 3,
    kAlphaBlendEnable = 1u << 4,
    kFogEnable = 1u << 5,
    kNormalizeNormals = 1u << 6,
    kSpecularEnable = 1u << 7,
    kSoftwareVertexProcessing = 1u << 8,
    kColorWriteRGB = 1u << 9,
    kColorWriteA = 1u << 10,
    kDitherEnable = 1u << 11,
    kStencilEnable = 1u << 12,
    kMultisampleAntialias = 1u << 13,
    kTableFogWanted = 1u << 14,
  };
  static constexpr DWORD kInitialStateWord =
      kLighting | kZEnable | kZWriteEnable | kColorWriteRGB | kColorWriteA | kMultisampleAntialias | kTableFogWanted;

  static constexpr DWORD kUnsetRenderState = 0x7FFFFFFF;
  static constexpr DWORD kUnsetStageState = 0xFFFFFFFF;
  static constexpr int kStages = 8;
  static constexpr int kStageStates = 32;
  static constexpr int kSamplerStates = 16;
  static constexpr int kLights = 8;
  // A cached light of this type stands for a two-sided pair (lights i and
  // i+1); it is no Direct3D light type.
  static constexpr DWORD kTwoSidedLightType = 4;

  enum VertexShaderMode { kFixedFunction = 0, kCallerShader = 1, kGeneratedShader = 2 };

  // Vertex-shader constant registers.
  static constexpr int kConstantRegisters = 32;
  static constexpr int kRegisterConstants = 0;  // (0, 0.5, 2, 1)
  static constexpr int kRegisterWorld = 1;      // 4 registers each
  static constexpr int kRegisterView = 5;
  static constexpr int kRegisterProjection = 9;
  static constexpr int kRegisterTexture0 = 13;
  static constexpr int kRegisterFog = 26;
  static constexpr int kRegisterAmbient = 27;

  struct LightBlock {
    DWORD enableMask;  // bit i: light i on
    D3DLIGHT9 lights[kLights];
  };

  // The cached values, as saved and restored by the state stack.
  struct CachedStates {
    DWORD stateWord;
    DWORD shadeMode, fillMode, cullMode;
    DWORD fogMode;
    float fogStart, fogEnd;
    DWORD fogColor;
    DWORD blendOp, srcBlend, destBlend, zFunc, alphaFunc, alphaRef;
    DWORD stencilFunc, stencilRef, stencilPass, stencilFail, stencilZFail, stencilMask, stencilWriteMask;
    DWORD ambient, textureFactor;
    DWORD diffuseMaterialSource, ambientMaterialSource, specularMaterialSource, emissiveMaterialSource;
    DWORD stageStates[kStages][kStageStates];
    DWORD samplerStates[kStages][kSamplerStates];
    int vertexShaderMode;
    DWORD fvf;
    DWORD depthBiasLevel;
  };
};

class CDXRenderState : public CDX3DDeviceBase, public CDXRenderStateTypedefs {
 public:
  CDXRenderState();
  ~CDXRenderState() override;

  // Sends every set cached value, the always-sent states, the shaders, the
  // stage and sampler states, the lights, the depth bias and the viewport
  // to a new or reset device.  Failed device calls are not reported.
  void ApplyAll();

  // Saves the device's state block and the cache.  FALSE, with nothing
  // pushed, when memory runs out or the device cannot make a state block;
  // a FALSE must not be paired with a PopState.
  BOOL PushState();
  // Restores the newest saved state and drops it; FALSE on an empty stack.
  BOOL PopState();
  int GetStateDepth() const { return m_nStateDepth; }

  // The cached setters send only what differs from the cache.  States that
  // the cache does not know are sent as they come.
  BOOL SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  BOOL SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  BOOL SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  BOOL SetSoftwareVertexProcessing(BOOL software);
  BOOL SetFVF(DWORD fvf);
  // The caller's shaders (the cache holds a reference); a non-null vertex
  // shader selects the caller's-shader mode, null the fixed-function one.
  BOOL SetVertexShader(IDirect3DVertexShader9* shader);
  BOOL SetPixelShader(IDirect3DPixelShader9* shader);
  // Hands the vertex shaders to a generated-shader cache (not owned; null
  // detaches it and returns to the fixed-function mode).
  void AttachVertexShaderCache(CDXVertexShader* cache);
  BOOL SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);

  // Objects the cache keeps for the device (it holds a reference to each),
  // released with the device.
  BOOL SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
  BOOL SetStreamSource(IDirect3DVertexBuffer9* buffer, UINT stride);
  BOOL SetIndices(IDirect3DIndexBuffer9* indices);
  BOOL SetTexture(IDirect3DBaseTexture9* texture);

  void SetFog(DWORD mode, float start, float end, DWORD color);
  // Table fog when on, the device reports table fog and w-fog, and no
  // vertex shader runs; vertex fog otherwise.
  void SetTableFog(BOOL on);
  void SetDepthBias(DWORD level);
  void SetLights(const LightBlock& block);
  // Lights index and index+1 as a two-sided pair; index 0 to 6 only.
  BOOL SetTwoSidedLight(int index, const D3DLIGHT9& light);
  BOOL EnableLight(int index, BOOL on);

  const CachedStates& GetCachedStates() const { return m_cache; }
  const LightBlock& GetLightBlock() const { return m_lightBlock; }
  const D3DVIEWPORT9& GetViewport() const { return m_viewport; }
  const float* GetConstantRegister(int index) const { return m_constants[index]; }

 protected:
  // Releases what the cache holds for the device and empties the state
  // stack (its blocks belong to the device).
  void ReleaseDeviceObjects();

 private:
  struct StateEntry;

  BOOL SendRenderState(D3DRENDERSTATETYPE state, DWORD value);
  // Sets or clears a state-word bit and sends the state when the bit changes.
  BOOL SetStateBit(DWORD bit, D3DRENDERSTATETYPE state, BOOL on);
  DWORD* CachedValueOf(D3DRENDERSTATETYPE state);
  void ApplyFogPath();
  bool TableFogUsable() const;
  void UpdateAmbient();
  template <class T>
  static void Hold(T*& slot, T* object);

  CachedStates m_cache;
  IDirect3DVertexShader9* m_pVertexShader = nullptr;
  IDirect3DPixelShader9* m_pPixelShader = nullptr;
  CDXVertexShader* m_pVertexShaderCache = nullptr;
  CLinkedList m_stateStack;
  int m_nStateDepth = 0;
  int m_nStatePushes = 0;
  LightBlock m_lightBlock;
  IDirect3DVertexDeclaration9* m_pVertexDeclaration = nullptr;
  IDirect3DVertexBuffer9* m_pStreamSource = nullptr;
  UINT m_nStreamStride = 0;
  IDirect3DIndexBuffer9* m_pIndices = nullptr;
  IDirect3DBaseTexture9* m_pTexture = nullptr;
  float m_constants[kConstantRegisters][4];
  D3DMATRIX m_projection;
  D3DVIEWPORT9 m_viewport;
};
